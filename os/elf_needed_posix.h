// The libraries an ELF shared object names as its dependencies.
#pragma once

#include <string>
#include <vector>

namespace Velotrax::os {

// The DT_NEEDED names of the 64-bit little-endian ELF file at `path`, in file order. Empty when
// the file cannot be read or is no such file.
std::vector<std::string> neededLibraries(const std::string& path);

}  // namespace Velotrax::os
