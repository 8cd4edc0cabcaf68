#include "watcher.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <utility>

#include <boost/thread/thread.hpp>

#include "frontend/console.h"
#include "frontend/run_settings.h"
#include "watch_directories.h"

namespace Velotrax {

namespace {

// Registering takes a few milliseconds at most; this only bounds a registration that hangs.
constexpr std::chrono::seconds kRegistrationPatience{2};

// Lets the loop wait until its watcher watches, so no change after the run's start is missed.
class Registration {
 public:
  void announce() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      done_ = true;
    }
    condition_.notify_all();
  }
  // Returns once the watcher watches, or after `patience` when it still does not (a directory
  // on a network share that does not answer, say): the run then goes ahead without it.
  void await(std::chrono::milliseconds patience) {
    std::unique_lock<std::mutex> hold(mutex_);
    condition_.wait_for(hold, patience, [this] { return done_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable condition_;
  bool done_ = false;
};

void watch(const std::shared_ptr<WatchState>& state, const std::vector<std::string>& directories,
           Registration& registration) {
  printNormal(kWatchMessage);
  bool changed = false;
  try {
    // The loop hears of the change at once; the watch is taken down afterwards.
    watchDirectories(directories, {[&registration] { registration.announce(); },
                                   [&state, &changed] {
                                     changed = true;
                                     state->markChange();
                                   }});
    return;
  } catch (const std::exception& error) {
    std::string message = "unknown error in watching directories";
    if (runSettings().verbose) message += std::string(": ") + error.what();
    if (!changed) printError(message);
  } catch (...) {
    if (!changed) printError("unknown error in watching directories");
  }
  registration.announce();
  if (!changed) state->markFailed();
}

}  // namespace

void startWatcher(std::shared_ptr<WatchState> state, std::vector<std::string> directories) {
  auto registration = std::make_shared<Registration>();
  try {
    boost::thread([state, directories = std::move(directories), registration] {
      watch(state, directories, *registration);
    }).detach();
  } catch (...) {
    state->watcherGone();
    throw;
  }
  registration->await(kRegistrationPatience);
}

}  // namespace Velotrax
