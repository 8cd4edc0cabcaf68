#include "run_driver.h"

#include <exception>
#include <memory>

#include "child_run.h"
#include "common/messages.h"
#include "common/run_settings.h"
#include "execution/import_scanner.h"
#include "execution/run_recorder.h"
#include "execution/script_run.h"
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

bool runDriver(const RunRequest& request, const std::vector<ProcedureArgument>& arguments) {
  const RunSettings& settings = request.settings;
  const LocatedScript& script = request.script;
  const bool separate = settings.separate && !settings.isChildProcess;
  // The child is to run what was located here: it starts in the script's directory, where a
  // relative name would be looked for again, and a script chosen in the dialog is on no command
  // line.
  if (separate && !script.childScript.empty())
    os::setEnvironment(kLocatedScriptVariable, script.childScript);
  RunRecorder recorder(request);
  // One pass, recorded: an exception ends the pass, with its record handed on first.
  const auto pass = [&](WatchState* state, int& elapsedMs) {
    recorder.begin(separate);
    try {
      return separate ? runSeparately(settings, state)
                      : runScript(request, arguments, elapsedMs, recorder.record());
    } catch (const std::exception& e) {
      recorder.abandon(e.what());
      throw;
    }
  };
  if (!settings.watch) {
    // The separate-mode parent never started the engine: its one run happens in a child.
    int elapsedMs = -1;
    const bool ok = pass(nullptr, elapsedMs);
    return recorder.end(ok, elapsedMs) && ok;
  }

  // The procedure directories, the --watch-dirs entries, then the script's imports.
  WatchLoop loop;
  loop.directories = script.procedureDirectories;
  loop.directories.insert(loop.directories.end(), settings.watchDirs.begin(),
                          settings.watchDirs.end());
  for (std::string& imported : scanScriptImports(scriptSearch(request), script.scriptPath))
    loop.directories.push_back(std::move(imported));
  if (!settings.report.empty()) loop.ownFiles.push_back(settings.report);
  loop.state = std::make_shared<WatchState>();
  WatchState* state = loop.state.get();
  loop.run = [&pass, state](int& elapsedMs) { return pass(state, elapsedMs); };
  loop.report = [&recorder](bool ok, int elapsedMs) { recorder.end(ok, elapsedMs); };
  loop.verbose = settings.verbose;
  const std::unique_ptr<os::ConsoleInput> keys = os::ConsoleInput::forStandardInput();
  loop.keys = keys.get();
  return runWatchLoop(loop);
}

}  // namespace Velotrax
