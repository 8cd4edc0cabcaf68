// Blocks until something changes in one of a list of directories.
#pragma once

#include <string>
#include <vector>

namespace Velotrax {

// Watches the directories, each name once, and returns after the first change in any of them.
// A directory that cannot be watched is reported and skipped; when none can be, this throws
// std::runtime_error, as no change could ever end the wait. Errors of the monitor while waiting
// are thrown.
void watchDirectories(const std::vector<std::string>& directories);

}  // namespace Velotrax
