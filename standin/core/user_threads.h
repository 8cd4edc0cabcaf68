// Bookkeeping of the library's user threads, which keep
// FinalizeHALCONLibrary from finishing while they run.
#pragma once

#include <cstdint>

namespace standin {

// Counts the current thread as a user thread for the guard's lifetime.
class UserThreadGuard {
 public:
  UserThreadGuard();
  ~UserThreadGuard();
  UserThreadGuard(const UserThreadGuard&) = delete;
  UserThreadGuard& operator=(const UserThreadGuard&) = delete;
};

int runningUserThreads();
// Starts a detached user thread that ends after `seconds` (of the library's clock when the
// time scale is below 1).
void holdUserThreadFor(double seconds);

// Test hook: set_system('time_scale', F), 0 < F <= 1. Below 1 every wait of the library
// (WaitSeconds, wait_seconds) sleeps F times its length and advances a library clock by its
// whole length, and a user thread from holdUserThreadFor ends when that clock has passed its
// time. A host's wait loop then makes the same calls and prints the same lines in a fraction of
// the time, however loaded the machine. 1, the default, is real time; going back to it ends the
// threads held on the library clock.
void setTimeScale(double scale);
// Waits `seconds` as the library does, scaled as above.
void librarySleep(double seconds);
// H_MSG_TRUE when no user thread runs, else 9700.
int finalizeLibrary();
// How often FinalizeHALCONLibrary was called, for tests of hosts' shut-down waits.
int64_t finalizeCalls();

}  // namespace standin
