// Starting and configuring the engine through the bridge. Every failing call throws
// HDEException at once.
#pragma once

#include <string>

#include "common/run_settings.h"

namespace Velotrax {

// Engine start: hinit, verbosity, fullscreen, output handlers, the default window.
void startEngine(const RunSettings& settings);

// Hands the engine the procedure path text in one call.
void setProcedurePath(const std::string& procedurePath, bool verbose);

// The debugger settings, then the script-handling attributes.
void applyEngineAttributes(const RunSettings& settings);

}  // namespace Velotrax
