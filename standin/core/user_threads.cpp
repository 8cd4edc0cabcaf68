#include "user_threads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

#include "HalconCpp.h"
#include "errors.h"

namespace standin {
namespace {
std::atomic<int> gUserThreads{0};
std::atomic<int64_t> gFinalizeCalls{0};

// The library clock of a time scale below 1, in microseconds, and the ends of the user threads
// held on it.
struct LibraryClock {
  std::mutex lock;
  double scale = 1;
  int64_t now = 0;
  std::vector<int64_t> heldUntil;
};

LibraryClock& libraryClock() {
  static LibraryClock c;
  return c;
}

int64_t microseconds(double seconds) {
  return std::llround(seconds * 1e6);
}

// User threads held on the library clock that still run; the others are dropped.
int heldOnClock() {
  LibraryClock& c = libraryClock();
  std::lock_guard<std::mutex> guard(c.lock);
  std::erase_if(c.heldUntil, [&](int64_t end) { return end <= c.now; });
  return static_cast<int>(c.heldUntil.size());
}

}  // namespace

UserThreadGuard::UserThreadGuard() {
  gUserThreads.fetch_add(1);
}
UserThreadGuard::~UserThreadGuard() {
  gUserThreads.fetch_sub(1);
}

int runningUserThreads() {
  return gUserThreads.load() + heldOnClock();
}

void holdUserThreadFor(double seconds) {
  if (!(seconds >= 0.0 && seconds <= 3600.0)) raise("set_system", err::kWrongValue + 2);
  {
    LibraryClock& c = libraryClock();
    std::lock_guard<std::mutex> guard(c.lock);
    if (c.scale < 1) {
      c.heldUntil.push_back(c.now + microseconds(seconds));
      return;
    }
  }
  // Registered before the thread starts so a finalize right after this call sees it.
  gUserThreads.fetch_add(1);
  std::thread([seconds] {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    gUserThreads.fetch_sub(1);
  }).detach();
}

void setTimeScale(double scale) {
  if (!(scale > 0 && scale <= 1)) raise("set_system", err::kWrongValue + 2);
  LibraryClock& c = libraryClock();
  std::lock_guard<std::mutex> guard(c.lock);
  c.scale = scale;
  if (scale == 1) {
    c.heldUntil.clear();
    c.now = 0;
  }
}

void librarySleep(double seconds) {
  LibraryClock& c = libraryClock();
  double scale;
  {
    std::lock_guard<std::mutex> guard(c.lock);
    scale = c.scale;
  }
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds * scale));
  if (scale == 1) return;
  std::lock_guard<std::mutex> guard(c.lock);
  c.now += microseconds(seconds);
}

int finalizeLibrary() {
  gFinalizeCalls.fetch_add(1);
  return runningUserThreads() > 0 ? err::kUserThreads : H_MSG_TRUE;
}

int64_t finalizeCalls() {
  return gFinalizeCalls.load();
}

}  // namespace standin

extern "C" Herror FinalizeHALCONLibrary(void) {
  return standin::finalizeLibrary();
}
