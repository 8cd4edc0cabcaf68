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
// Starts a detached user thread that ends after `seconds`.
void holdUserThreadFor(double seconds);
// 2 when no user thread runs, else 9700.
int finalizeLibrary();
// How often FinalizeHALCONLibrary was called, for tests of hosts' shut-down waits.
int64_t finalizeCalls();

}  // namespace standin
