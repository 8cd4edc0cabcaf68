#include "run_driver.h"

#include "execution/script_run.h"
#include "frontend/console.h"
#include "frontend/run_settings.h"

namespace Velotrax {

bool runDriver(const std::vector<ProcedureArgument>& arguments) {
  if (runSettings().watch) printError("warning: watch mode is not available yet; running once");
  int elapsedMs = -1;
  const bool ok = runScript(arguments, elapsedMs);
  reportRunResult(ok, elapsedMs);
  return ok;
}

}  // namespace Velotrax
