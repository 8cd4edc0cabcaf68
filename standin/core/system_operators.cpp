// get_system, set_system, wait_seconds, count_seconds.
#include <chrono>
#include <thread>

#include "errors.h"
#include "operators.h"
#include "run_limits.h"
#include "system_state.h"
#include "tuple_arithmetic.h"
#include "user_threads.h"

namespace standin {
namespace {

void getSystemOp(OpCall& c) {
  c.ctrlOut[0] = getSystem(c.ctrlIn[0]);
}
void setSystemOp(OpCall& c) {
  // A callback address belongs to the program hosting the library: a script could make the
  // library call any address. Test threads, the time scale and the injected crash are refused
  // where untrusted scripts run.
  const char* op = "set_system";
  const std::string& name = scalarText(c.ctrlIn[0], 1, op);
  if (!runLimits().testThreads &&
      (name == "hold_user_thread" || name == "time_scale" ||
       (name == "inject_fault" && scalarText(c.ctrlIn[1], 2, op) == "crash")))
    raise(op, err::kWrongValue + 1);
  if (name == "do_low_error" && c.ctrlIn[1].size() != 1) raise(op, err::kWrongCount + 2);
  setSystem(c.ctrlIn[0], c.ctrlIn[1]);
}

void waitSecondsOp(OpCall& c) {
  double s = scalarNumber(c.ctrlIn[0], 1, "wait_seconds");
  if (s < 0) {
    reportLowLevelError("wait_seconds: negative time " + elementText(Element(s)) + " treated as 0");
    return;
  }
  if (s > 3600) raise("wait_seconds", err::kWrongValue + 1);
  double left = secondsLeft();
  if (left >= 0 && s > left) {
    std::this_thread::sleep_for(std::chrono::duration<double>(left));
    raise("wait_seconds", err::kRunLimit);
  }
  librarySleep(s);
}

void countSecondsOp(OpCall& c) {
  using Clock = std::chrono::steady_clock;
  static const Clock::time_point start = Clock::now();
  c.ctrlOut[0] = Value::ofReal(std::chrono::duration<double>(Clock::now() - start).count());
}

const OperatorDef kTable[] = {
    {"get_system", 0, 0, 1, 1, getSystemOp},
    {"set_system", 0, 0, 2, 0, setSystemOp},
    {"wait_seconds", 0, 0, 1, 0, waitSecondsOp},
    {"count_seconds", 0, 0, 0, 1, countSecondsOp},
};

}  // namespace

std::span<const OperatorDef> systemOperators() {
  return kTable;
}

}  // namespace standin
