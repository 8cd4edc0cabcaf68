// Blocks until something changes in one of a list of directories.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace Velotrax {

// Who hears what while a watch goes on; both optional.
struct WatchCallbacks {
  std::function<void()> watching;  // every directory that can be watched is watched now
  // The first change is seen. Runs before the watch is taken down, which can take milliseconds
  // (the kernel lets go of a watch only after a grace period).
  std::function<void()> changed;
};

// Watches the directories, each name once, and returns after the first change in any of them.
// A directory that cannot be watched is reported and skipped; when none can be, this throws
// std::runtime_error, as no change could ever end the wait. Errors of the monitor while waiting
// are thrown.
void watchDirectories(const std::vector<std::string>& directories,
                      const WatchCallbacks& callbacks = {});

}  // namespace Velotrax
