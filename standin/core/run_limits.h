// Limits on what one script run may use. The defaults only bound the size of a value; a
// harness that runs untrusted scripts (the fuzz target) also bounds steps, time, value size and
// file output, so that every script ends soon and touches nothing outside.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace standin {

// Largest number of bytes one value may hold (its elements plus the characters of its texts).
// Far beyond what inspection scripts build, yet small enough that a runaway script ends in a
// clean out-of-memory error instead of exhausting the machine.
constexpr size_t kMaxValueBytes = size_t{1} << 30;

struct RunLimits {
  int64_t steps = -1;   // loop iterations and procedure calls per run; -1: unlimited
  double seconds = -1;  // wall time per run; -1: unlimited
  size_t valueBytes = kMaxValueBytes;
  bool fileOutput = true;  // open_file may create and write files
  bool testThreads = true;  // set_system may start the test threads that hold the library
};

// Applies to every later run in the process.
void setRunLimits(const RunLimits& limits);
RunLimits runLimits();

// The byte limit of one value.
size_t valueByteLimit();

// Starts the step and time budget of one run.
void startRunBudget();

namespace detail {
extern std::atomic<bool> budgetActive;
void chargeBudget(const char* op);
}  // namespace detail

// Counts one step against the run's budget; raises the run-limit error when it is spent. Free
// unless a harness set step or time limits.
inline void chargeStep(const char* op) {
  if (detail::budgetActive.load(std::memory_order_relaxed)) [[unlikely]]
    detail::chargeBudget(op);
}

// Seconds left of the run's time budget, or a negative number when time is not limited.
double secondsLeft();

}  // namespace standin
