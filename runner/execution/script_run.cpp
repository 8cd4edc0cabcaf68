// Placeholder until script execution is built; unreachable without an engine client.
#include "script_run.h"

#include <stdexcept>

namespace Velotrax {

bool runScript(const std::vector<ProcedureArgument>&, int& elapsedMs) {
  elapsedMs = -1;
  throw std::logic_error("script execution is not built yet");
}
void reportRunResult(bool, int) {}

}  // namespace Velotrax
