// The watcher thread: waits for the first change in the watched directories and tells the loop.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "watch_state.h"

namespace Velotrax {

// The message shown while watch mode waits.
constexpr const char* kWatchMessage =
    "Watching for directory changes or key presses in the console window... Press 'ESC' to "
    "exit.";

// Starts a detached watcher that writes the watch message, watches `directories` and then marks
// a change (or a failure) in `state`; returns once it watches (or has failed), so a change made
// after that is never missed. The caller has claimed the watcher slot of `state`.
void startWatcher(std::shared_ptr<WatchState> state, std::vector<std::string> directories);

}  // namespace Velotrax
