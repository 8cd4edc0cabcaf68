#include "terminating_signals_posix.h"

#include <signal.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <mutex>

namespace Velotrax::os {

namespace {

constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Two users today (the terminal and the child process); room to spare.
constexpr int kMaxHooks = 4;
std::array<std::atomic<void (*)()>, kMaxHooks> hooks{};

void onSignal(int number) {
  const int savedErrno = errno;
  for (auto& hook : hooks)
    if (void (*run)() = hook.load()) run();
  // Blocked while this handler runs, the raised signal ends the process as it returns.
  ::signal(number, SIG_DFL);
  ::raise(number);
  errno = savedErrno;
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
