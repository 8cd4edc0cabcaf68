#include "user_threads.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "HalconCpp.h"
#include "errors.h"

namespace standin {
namespace {
std::atomic<int> gUserThreads{0};
std::atomic<int64_t> gFinalizeCalls{0};
}  // namespace

UserThreadGuard::UserThreadGuard() {
  gUserThreads.fetch_add(1);
}
UserThreadGuard::~UserThreadGuard() {
  gUserThreads.fetch_sub(1);
}

int runningUserThreads() {
  return gUserThreads.load();
}

void holdUserThreadFor(double seconds) {
  if (!(seconds >= 0.0 && seconds <= 3600.0)) raise("set_system", err::kWrongValue + 2);
  // Registered before the thread starts so a finalize right after this call sees it.
  gUserThreads.fetch_add(1);
  std::thread([seconds] {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    gUserThreads.fetch_sub(1);
  }).detach();
}

int finalizeLibrary() {
  gFinalizeCalls.fetch_add(1);
  return gUserThreads.load() > 0 ? err::kUserThreads : H_MSG_TRUE;
}

int64_t finalizeCalls() {
  return gFinalizeCalls.load();
}

}  // namespace standin

extern "C" Herror FinalizeHALCONLibrary(void) {
  return standin::finalizeLibrary();
}
