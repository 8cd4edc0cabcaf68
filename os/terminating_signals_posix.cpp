#include "terminating_signals_posix.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <mutex>

namespace Velotrax::os {

namespace {

constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Two users today (the terminal and the child process); room to spare.
constexpr int kMaxHooks = 4;
std::array<std::atomic<void (*)()>, kMaxHooks> hooks{};

void onSignal(int number) {
  for (auto& hook : hooks)
    if (void (*run)() = hook.load()) run();
  // End with the signal's default action. A runtime that intercepts signals (ThreadSanitizer
  // runs handlers late, outside the kernel's delivery) may hold or drop a signal raised from
  // here, so it is raised unblocked, and should the process still live, it ends with the status
  // a shell gives a process that signal ended.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(number, &fallback, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, number);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(number);
  _exit(128 + number);
}

void installHandlers() {
  for (int number : kSignals) {
    struct sigaction current {};
    if (sigaction(number, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int other : kSignals) sigaddset(&action.sa_mask, other);
    sigaction(number, &action, nullptr);
  }
}

}  // namespace

void runOnTerminatingSignal(void (*hook)()) {
  static std::once_flag installed;
  std::call_once(installed, installHandlers);
  static std::mutex registering;
  std::lock_guard<std::mutex> hold(registering);
  for (auto& slot : hooks) {
    if (slot.load() == hook) return;
    if (slot.load() == nullptr) {
      slot.store(hook);
      return;
    }
  }
}

}  // namespace Velotrax::os
