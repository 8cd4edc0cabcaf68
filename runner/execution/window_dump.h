// --dump-windows: the graphics windows still open when a run ends, written as PNG files.
#pragma once

#include <string>
#include <vector>

#include "common/run_settings.h"
#include "execution/script_run.h"

namespace Velotrax {

// Before the run: the bridge must have the dump entry, and the directory must be one (a missing
// one is created). Does nothing unless --dump-windows is given; failures are std::runtime_error.
void prepareWindowDump(const RunSettings& settings);

// The name every picture of this script starts with: the script path relative to the start
// directory (its file name when it lies outside), '/', '\\' and ':' made '_', then "-" and the
// procedure name ("main" for a program).
std::string windowDumpBaseName(const RunSettings& settings, const LocatedScript& script);

// Writes every open window to <--dump-windows>/<base name>-<place>.png, place 1 at the bottom of
// the window stack; returns the paths written. Engine failures are HDEException, a bridge
// without the entry std::runtime_error.
std::vector<std::string> dumpWindows(const RunRequest& request);

}  // namespace Velotrax
