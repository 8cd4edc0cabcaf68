#include "watcher.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <utility>

#include "common/messages.h"

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

}  // namespace

Watcher::Watcher(WatchState& state, std::vector<std::string> directories, WatchFunction watch,
                 bool verbose) {
  auto registration = std::make_shared<Registration>();
  thread_ = boost::thread([this, &state, directories = std::move(directories),
                           watch = std::move(watch), registration, verbose] {
    printNormal(kWatchMessage);
    try {
      watch(directories,
            {verbose,
             [this, &registration](bool all) {
               watchesAll_ = all;
               registration->announce();
             },
             [&state](const std::string& path) {
               if (state.ledger().counts(path)) state.markChange();
               return true;
             }},
            &stop_);
    } catch (const std::exception& error) {
      std::string message = "unknown error in watching directories";
      if (verbose) message += std::string(": ") + error.what();
      printError(message);
      state.markFailed();
    } catch (...) {
      printError("unknown error in watching directories");
      state.markFailed();
    }
    ended_ = true;
    registration->announce();
  });
  registration->await(kRegistrationPatience);
}

Watcher::~Watcher() {
  stop();
}

void Watcher::stop() {
  stop_.request();
  if (thread_.joinable()) thread_.join();
}

}  // namespace Velotrax
