#include "watcher.h"

#include <exception>
#include <utility>

#include <boost/thread/thread.hpp>

#include "frontend/console.h"
#include "frontend/run_settings.h"
#include "watch_directories.h"

namespace Velotrax {

namespace {

void watch(const std::shared_ptr<WatchState>& state, const std::vector<std::string>& directories) {
  printNormal(kWatchMessage);
  try {
    watchDirectories(directories);
    state->markChange();
    return;
  } catch (const std::exception& error) {
    std::string message = "unknown error in watching directories";
    if (runSettings().verbose) message += std::string(": ") + error.what();
    printError(message);
  } catch (...) {
    printError("unknown error in watching directories");
  }
  state->markFailed();
}

}  // namespace

void startWatcher(std::shared_ptr<WatchState> state, std::vector<std::string> directories) {
  try {
    boost::thread([state, directories = std::move(directories)] {
      watch(state, directories);
    }).detach();
  } catch (...) {
    state->watcherGone();
    throw;
  }
}

}  // namespace Velotrax
