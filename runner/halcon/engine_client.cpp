// Placeholder until the bridge binding is built: every entry point reports that there is no
// engine bridge yet.
#include "engine_client.h"

#include <stdexcept>

namespace Velotrax {

namespace {
[[noreturn]] void unavailable() {
  throw std::runtime_error(
      "error: the HALCON engine is not available yet: this build of Velotrax has no engine "
      "bridge, so it cannot run or query scripts");
}
}  // namespace

const EngineClient& engineClient() {
  unavailable();
}
void installEngineClient(const EngineClient&) {
  unavailable();
}
void throwIfFailed(EngineErrorRecord* record) {
  if (record) unavailable();
}
TupleHolder holdTuple(TupleHandle) {
  unavailable();
}
ProcedureHolder holdProcedure(ProcedureHandle) {
  unavailable();
}
ProcedureCallHolder holdProcedureCall(ProcedureCallHandle) {
  unavailable();
}
ProgramHolder holdProgram(ProgramHandle) {
  unavailable();
}
ProgramCallHolder holdProgramCall(ProgramCallHandle) {
  unavailable();
}
std::string tupleElementText(TupleHandle, int64_t) {
  unavailable();
}
std::string engineVersion() {
  unavailable();
}

}  // namespace Velotrax
