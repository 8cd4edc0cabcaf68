#include "main_flow.h"

#include <stdexcept>
#include <string>

#include "console.h"
#include "options.h"
#include "os/environment.h"
#include "os/process.h"
#include "run_settings.h"

namespace Velotrax {

namespace {

// The stages after the banner: HALCON environment, engine bridge, engine, script and run.
// They join as they are built; until the bridge exists no run can succeed.
int runStages(const RunSettings&) {
  throw std::runtime_error(
      "error: the HALCON engine is not available yet: this build of Velotrax has no engine "
      "bridge, so it cannot run or query scripts");
}

}  // namespace

int mainBody(int argc, const char* const argv[]) {
  RunSettings& settings = runSettings();
  settings.isChildProcess = os::getEnvironment("VELOTRAX_IS_SLAVE") == "1";

  switch (parseOptions(argc, argv, settings)) {
    case OptionResult::finished:
      return 0;
    case OptionResult::failed:
      return 1;
    case OptionResult::proceed:
      break;
  }
  if (!settings.queryMode) printNormal(std::string(kBanner) + "\n");

  try {
    return runStages(settings);
  } catch (const std::exception& e) {
    printError(e.what());
  } catch (...) {
    printError("caught unhandled and unknown exception");
  }
  return 1;
}

void runEntry(int argc, const char* const argv[]) {
  const int status = mainBody(argc, argv);
  const RunSettings& settings = runSettings();
  showEndOfRunNotice(status, settings.noDialogs, settings.scriptChosenByDialog);
  os::exitNow(status);
}

}  // namespace Velotrax
