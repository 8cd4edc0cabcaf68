#include "run_driver.h"

#include <memory>

#include "child_run.h"
#include "execution/script_run.h"
#include "frontend/console.h"
#include "frontend/run_settings.h"
#include "import_scanner.h"
#include "os/console_input.h"
#include "os/environment.h"
#include "watch_loop.h"
#include "watch_state.h"

namespace Velotrax {

namespace {

// One run in a child process, as --separate asks (the child itself runs in process).
bool runSeparately(const RunSettings& settings, WatchState* watch) {
  if (settings.verbose) printNormal("executing script in separate process");
  return runInChildProcess(watch);
}

}  // namespace

bool runDriver(const std::vector<ProcedureArgument>& arguments) {
  const RunSettings& settings = runSettings();
  const bool separate = settings.separate && !settings.isChildProcess;
  // The child is to run what was located here: it starts in the script's directory, where a
  // relative name would be looked for again, and a script chosen in the dialog is on no command
  // line.
  if (separate && !settings.locatedScript.empty())
    os::setEnvironment(kLocatedScriptVariable, settings.locatedScript);
  if (!settings.watch) {
    // The separate-mode parent never started the engine: its one run happens in a child.
    int elapsedMs = -1;
    const bool ok = separate ? runSeparately(settings, nullptr) : runScript(arguments, elapsedMs);
    reportRunResult(ok, elapsedMs);
    return ok;
  }

  WatchLoop loop;
  loop.directories = settings.watchList;
  for (std::string& imported : scanScriptImports(settings.scriptPath))
    loop.directories.push_back(std::move(imported));
  loop.state = std::make_shared<WatchState>();
  WatchState* state = loop.state.get();
  loop.run = [&arguments, &settings, separate, state](int& elapsedMs) {
    return separate ? runSeparately(settings, state) : runScript(arguments, elapsedMs);
  };
  loop.report = reportRunResult;
  const std::unique_ptr<os::ConsoleInput> keys = os::ConsoleInput::forStandardInput();
  loop.keys = keys.get();
  return runWatchLoop(loop);
}

}  // namespace Velotrax
