// An auto-reset event: one thread signals it, another waits for it, alone or together with a
// child process or console input.
#pragma once

#include <chrono>
#include <memory>

#include "system_error.h"

namespace Velotrax::os {

class Event {
 public:
  // Not signalled at first.
  static OsResult<Event> create();
  ~Event();
  Event(Event&& other) noexcept;
  Event& operator=(Event&& other) noexcept;
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  // Wakes the waiter; signals given before the wait are kept (as one).
  void signal();
  // True when signalled within `timeout`; the signal is then used up.
  bool wait(std::chrono::milliseconds timeout);

  // The platform object, for the OS files that wait on it with other sources.
  struct Native;
  Native& native() { return *native_; }

 private:
  explicit Event(std::unique_ptr<Native> native);
  std::unique_ptr<Native> native_;
};

}  // namespace Velotrax::os
