// The window operators scripts call directly, besides the dev_ ones the engine routes to
// the host: dump_window.
#include "operators.h"
#include "window_ops.h"

namespace standin {
namespace {

void dumpWindow(OpCall& c) {
  window::dumpWindow(c.ctrlIn[0], c.ctrlIn[1], c.ctrlIn[2]);
}

const OperatorDef kTable[] = {
    {"dump_window", 0, 0, 3, 0, dumpWindow},
};

}  // namespace

std::span<const OperatorDef> windowOperators() {
  return kTable;
}

}  // namespace standin
