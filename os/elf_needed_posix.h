// The libraries an ELF shared object names as its dependencies.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "system_error.h"

namespace Velotrax::os {

// The DT_NEEDED names of the 64-bit little-endian ELF file at `path`, in file order. Empty when
// the file cannot be read or is no such file.
std::vector<std::string> neededLibraries(const std::string& path);

// Why the file at `path` must not be handed to the loader, or nothing; worded as the loader's
// own refusal ("<path>: <why>", from dlopen, ELIBBAD). The loader maps the segments of a 64-bit
// ELF file where its program headers place them, so a truncated copy would fault when first
// touched ("file too short" here), and opening a FIFO would wait for a writer ("not a regular
// file"). A missing file, or one that is no such ELF file, is left to the loader, which refuses
// it in its own words.
std::optional<OsFailure> libraryFileProblem(const std::string& path);

}  // namespace Velotrax::os
