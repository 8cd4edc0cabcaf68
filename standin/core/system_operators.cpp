// get_system, set_system, wait_seconds, count_seconds.
#include <chrono>
#include <thread>

#include "errors.h"
#include "operators.h"
#include "system_state.h"
#include "tuple_ops.h"

namespace standin {
namespace {

void getSystemOp(OpCall& c) {
  c.ctrlOut[0] = getSystem(c.ctrlIn[0]);
}
void setSystemOp(OpCall& c) {
  setSystem(c.ctrlIn[0], c.ctrlIn[1]);
}

void waitSecondsOp(OpCall& c) {
  double s = scalarNumber(c.ctrlIn[0], 1, "wait_seconds");
  if (s < 0) {
    reportLowLevelError("wait_seconds: negative time " + elementText(Element(s)) + " treated as 0");
    return;
  }
  if (s > 3600) raise("wait_seconds", err::kWrongValue + 1);
  std::this_thread::sleep_for(std::chrono::duration<double>(s));
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
