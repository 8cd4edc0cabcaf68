// What the watch loop and its watcher thread share, under the watch mutex: the watch state, the
// pass's change event, and whether a watcher is waiting.
#pragma once

#include <memory>
#include <mutex>

namespace Velotrax {

namespace os {
class Event;
}

class WatchState {
 public:
  enum Value { nothingSeen = 0, changeSeen = 1, watchFailed = 2 };

  WatchState();
  ~WatchState();

  Value value();

  // A new pass: nothing seen yet, and a new change event in place of the old one. Throws
  // std::runtime_error "CreateEvent error: ..." when no event can be created.
  void beginPass();
  // The pass's event, or null once it is used up. Main thread only: it alone replaces it.
  os::Event* event() const { return event_.get(); }
  // Closes the pass's event; a watcher firing later finds none and signals nothing.
  void closeEvent();
  // A fresh event when the pass's one was used up, so the wait can still be woken.
  void ensureEvent();

  // True when no watcher is waiting: the caller must then start one (and call watcherGone if
  // that fails). At most one watcher waits at a time.
  bool claimWatcher();
  void watcherGone();
  // The waiting watcher saw a change: the state becomes changeSeen and the event is signalled.
  void markChange();
  // The waiting watcher failed: the state becomes watchFailed; nothing is signalled.
  void markFailed();

 private:
  std::mutex mutex_;  // the watch mutex
  Value value_ = nothingSeen;
  std::unique_ptr<os::Event> event_;
  bool watcherWaiting_ = false;
};

}  // namespace Velotrax
