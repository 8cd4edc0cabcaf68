// What the watch loop and its watcher thread share: under the watch mutex the watch state and the
// pass's change event; the ledger of what the watched entries held; and the watcher itself.
#pragma once

#include <memory>
#include <mutex>

#include "change_ledger.h"

namespace Velotrax {

namespace os {
class Event;
}

class Watcher;

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

  // The watcher saw a change that counts: the state becomes changeSeen and the event is
  // signalled.
  void markChange();
  // The watcher failed: the state becomes watchFailed; nothing is signalled.
  void markFailed();

  ChangeLedger& ledger() { return ledger_; }

  // The one watcher, main thread only. Stopping it ends its thread, monitor and monitor threads.
  std::unique_ptr<Watcher> watcher;
  void stopWatcher();

 private:
  std::mutex mutex_;  // the watch mutex
  Value value_ = nothingSeen;
  std::unique_ptr<os::Event> event_;
  ChangeLedger ledger_;
};

}  // namespace Velotrax
