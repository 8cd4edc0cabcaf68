// What /proc tells about this process and others: threads, descriptors, memory, life.
#pragma once

#include <sys/types.h>

#include <string>

namespace Velotrax::testing_support {

int threadCount();
int openDescriptorCount();
long residentKiB();

// State letter from /proc/<pid>/stat ('Z' for a zombie), or 0 when the process is gone.
char processState(pid_t pid);
// Zombies whose parent is this process.
int zombieChildren();

// Polls `done` every few milliseconds for up to `seconds`; its last answer.
template <class Condition>
bool eventually(Condition done, int seconds = 10);

// Waits up to `seconds` for the child `pid` to end, with its wait status in `status`; past them
// it kills and reaps the child and returns false.
bool waitForExit(pid_t pid, int& status, int seconds = 10);

// Starts this test program as a child playing `role` (see watch_test_main.cpp), with standard
// output going to `output` when that is not -1. Its pid.
pid_t spawnPlaying(const std::string& role, int output = -1);

// Reads a whole file; empty when it cannot.
std::string readFile(const std::string& path);

}  // namespace Velotrax::testing_support

#include <chrono>
#include <thread>

template <class Condition>
bool Velotrax::testing_support::eventually(Condition done, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}
