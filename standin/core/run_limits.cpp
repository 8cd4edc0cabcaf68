#include "run_limits.h"

#include <chrono>
#include <mutex>

#include "errors.h"

namespace standin {
namespace {

using Clock = std::chrono::steady_clock;

struct Budget {
  std::mutex lock;
  RunLimits limits;
  int64_t stepsLeft = 0;
  Clock::time_point deadline;
};

Budget& budget() {
  static Budget b;
  return b;
}

std::atomic<size_t> gValueBytes{kMaxValueBytes};

// The clock is read once in this many steps: reading it on every step would cost more than
// the steps themselves.
constexpr int64_t kStepsPerClockRead = 1024;

thread_local int64_t tlsStepsSinceClock = 0;

}  // namespace

namespace detail {

std::atomic<bool> budgetActive{false};

void chargeBudget(const char* op) {
  Budget& b = budget();
  bool spent = false;
  {
    std::lock_guard<std::mutex> guard(b.lock);
    if (b.limits.steps >= 0 && --b.stepsLeft < 0) spent = true;
    if (b.limits.seconds >= 0 && ++tlsStepsSinceClock >= kStepsPerClockRead) {
      tlsStepsSinceClock = 0;
      if (Clock::now() > b.deadline) spent = true;
    }
  }
  if (spent) raise(op, err::kRunLimit);
}

}  // namespace detail

void setRunLimits(const RunLimits& limits) {
  Budget& b = budget();
  std::lock_guard<std::mutex> guard(b.lock);
  b.limits = limits;
  gValueBytes = limits.valueBytes;
  detail::budgetActive = limits.steps >= 0 || limits.seconds >= 0;
}

RunLimits runLimits() {
  Budget& b = budget();
  std::lock_guard<std::mutex> guard(b.lock);
  return b.limits;
}

size_t valueByteLimit() {
  return gValueBytes.load(std::memory_order_relaxed);
}

void startRunBudget() {
  Budget& b = budget();
  std::lock_guard<std::mutex> guard(b.lock);
  b.stepsLeft = b.limits.steps;
  b.deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double>(b.limits.seconds));
  tlsStepsSinceClock = 0;
}

double secondsLeft() {
  Budget& b = budget();
  std::lock_guard<std::mutex> guard(b.lock);
  if (b.limits.seconds < 0) return -1;
  double left = std::chrono::duration<double>(b.deadline - Clock::now()).count();
  return left > 0 ? left : 0;
}

}  // namespace standin
