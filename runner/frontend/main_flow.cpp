#include "main_flow.h"

#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "common/messages.h"
#include "common/run_settings.h"
#include "execution/engine_configuration.h"
#include "execution/tuple_parser.h"
#include "execution/window_dump.h"
#include "halcon/engine_client.h"
#include "halcon/halcon_environment.h"
#include "halcon/hde_exception.h"
#include "options.h"
#include "os/child_process.h"
#include "os/environment.h"
#include "os/process.h"
#include "os/standard_output.h"
#include "script_location.h"
#include "watch/batch.h"
#include "watch/run_driver.h"

namespace Velotrax {

namespace {

// Bridge, window dump directory, engine, script, working directory and engine configuration.
// The separate-mode parent leaves the engine to its children, and stays in the start directory:
// a child reads the same command line, and its relative paths name what they named for the
// parent. A query needs no script.
LocatedScript runSetUp(const RunSettings& settings) {
  bindEngineClient(settings.verbose);
  prepareWindowDump(settings);
  if (!settings.separate) startEngine(settings);
  if (settings.queryMode) return {};
  LocatedScript script = locateScript(settings);
  if (!settings.separate) {
    enterScriptDirectory(script, settings.verbose);
    setProcedurePath(procedurePathText(script), settings.verbose);
    applyEngineAttributes(settings);
  }
  return script;
}

// The parser's message, its column counted from 1, the text and a caret under the position.
std::string caretMessage(const ParseException& e, const std::string& text) {
  std::ostringstream message;
  message << e.what() << " column:" << e.position() + 1 << "\n"
          << text << "\n"
          << std::string(static_cast<size_t>(e.position() > 0 ? e.position() : 0), ' ') << "^\n";
  return message.str();
}

// Said on standard error, plainly, when standard output first refuses text.
void reportRefusedOutput(const os::OsFailure& failure) {
  const std::string message = "could not write to standard output" +
                              (failure.code ? ": " + failure.text : std::string()) + "\n";
  std::fwrite(message.data(), 1, message.size(), stderr);
  std::fflush(stderr);
}

// Answers --get-version on standard output; false when the answer is empty.
bool runQuery(const RunSettings& settings) {
  bool answered = true;
  if (settings.getVersion) {
    const std::string version = engineVersion();
    os::writeStandardOutput("halconversion:" + version + "\n");
    answered = !version.empty();
  }
  return answered;
}

int runStages(const RunSettings& settings) {
  const std::optional<std::string> halconroot = prepareHalconEnvironment(settings);
  if (!halconroot) return 1;
  if (!settings.all.empty()) {
    // The batch's children run the scripts; here the bridge and the dump directory are only
    // checked, once for all.
    bindEngineClient(settings.verbose);
    prepareWindowDump(settings);
    return runBatch(settings);
  }
  const LocatedScript script = runSetUp(settings);

  const std::string text = joined(settings.scriptArguments, " ");
  std::vector<ProcedureArgument> arguments;
  try {
    parseArgumentList(text, PassMode::check);
    arguments = parseArgumentList(text, PassMode::build);
  } catch (const ParseException& e) {
    printError(caretMessage(e, text));
    return 1;
  }

  const bool answered = runQuery(settings);
  if (settings.queryMode) return answered ? 0 : 1;
  return runDriver({settings, script, *halconroot}, arguments) ? 0 : 1;
}

}  // namespace

int mainBody(int argc, const char* const argv[]) {
  RunSettings& settings = runSettings();
  settings.isChildProcess = os::getEnvironment("VELOTRAX_IS_SLAVE") == "1";
  if (settings.isChildProcess) os::followParent();

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
  } catch (const HDEException& e) {
    printError(e.what());
  } catch (const std::exception& e) {
    printError(e.what());
  } catch (...) {
    printError("caught unhandled and unknown exception");
  }
  return 1;
}

void runEntry(int argc, const char* const argv[]) {
  os::onStandardOutputRefused(reportRefusedOutput);
  os::holdStandardDescriptors();
  const int status = mainBody(argc, argv);
  const RunSettings& settings = runSettings();
  showEndOfRunNotice(status, settings.noDialogs, settings.scriptChosenByDialog);
  os::exitNow(status);
}

}  // namespace Velotrax
