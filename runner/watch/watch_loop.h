// Watch mode: run, wait for a change or a key, run again; ESC or a failed watch ends it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "watch_state.h"
#include "watcher.h"

namespace Velotrax {

namespace os {
class ConsoleInput;
}

struct WatchLoop {
  // One run of the script, in this process or in a child; elapsedMs stays -1 without a time.
  std::function<bool(int& elapsedMs)> run;
  // The result line of a run.
  std::function<void(bool success, int elapsedMs)> report;
  // Watched directories: the watch list, then the script's import directories.
  std::vector<std::string> directories;
  // Files the pass itself writes (the report), which are no change.
  std::vector<std::string> ownFiles;
  os::ConsoleInput* keys = nullptr;
  std::shared_ptr<WatchState> state;
  // How the watcher watches.
  WatchFunction watch = watchDirectories;
  bool verbose = false;
};

// Runs passes until ESC or a failed watch; true then. Engine errors from unloading procedures,
// and whatever the run throws, leave as exceptions.
bool runWatchLoop(const WatchLoop& loop);

}  // namespace Velotrax
