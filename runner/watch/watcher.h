// The watcher thread: watches the directories and tells the loop of each change that counts.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <boost/thread/thread.hpp>

#include "watch_directories.h"
#include "watch_state.h"

namespace Velotrax {

// The message shown while watch mode waits.
constexpr const char* kWatchMessage =
    "Watching for directory changes or key presses in the console window... Press 'ESC' to "
    "exit.";

// How a watcher watches: watchDirectories, or a stand-in in tests.
using WatchFunction =
    std::function<void(const std::vector<std::string>&, const WatchCallbacks&, WatchStop*)>;

class Watcher {
 public:
  // Starts a thread that writes the watch message, watches `directories` and marks in `state`
  // each change its ledger counts, or the failure of the watch. Returns once it watches (or
  // has failed), so a change made after that is never missed. `state` outlives the watcher.
  // `verbose` adds the monitor's own words to a failure, and is handed to the watch.
  Watcher(WatchState& state, std::vector<std::string> directories, WatchFunction watch,
          bool verbose);
  // Stops it.
  ~Watcher();
  Watcher(const Watcher&) = delete;
  Watcher& operator=(const Watcher&) = delete;

  // Whether it still watches every directory of its list: false when one could not be added (a
  // directory that appears later is watched only by a new watcher) or the watch has ended.
  bool watchesAll() const { return watchesAll_ && !ended_; }
  // Ends the watch, with its monitor and threads; returns when they are gone.
  void stop();

 private:
  WatchStop stop_;
  std::atomic<bool> watchesAll_{false};
  std::atomic<bool> ended_{false};
  boost::thread thread_;
};

}  // namespace Velotrax
