#include "engine_configuration.h"

#include <cstdint>

#include "common/messages.h"
#include "common/run_settings.h"
#include "halcon/engine_client.h"

namespace Velotrax {

namespace {

// What the runner hands hinit: the bridge ignores the value.
constexpr int32_t kHinitValue = 0;

void setIntegerAttribute(const char* name, int32_t value, bool verbose) {
  if (verbose)
    printNormal(std::string("Setting HDevEngine attribute \"") + name + "\" to " +
                std::to_string(value));
  throwIfFailed(engineClient().hsetEngineAttributeInt(name, value));
}

void startDebugger(const RunSettings& settings) {
  const EngineClient& engine = engineClient();
  const std::string port = std::to_string(settings.debugPort);
  if (settings.verbose) printNormal("Setting HDevEngine debugger on port " + port);
  throwIfFailed(engine.hsetEngineAttribute("debug_wait_for_connection",
                                           settings.debugWaitForConnection ? "true" : "false"));
  throwIfFailed(engine.hsetEngineAttributeInt("debug_port", settings.debugPort));
  throwIfFailed(engine.hsetEngineAttribute("debug_password", settings.debugPassword.c_str()));
  throwIfFailed(engine.hstartDebugServer());
  if (settings.verbose)
    printNormal(
        "HDevEngine debugger on port " + port +
        (settings.debugWaitForConnection ? " started and waiting for connection..." : " started."));
}

}  // namespace

void startEngine(const RunSettings& settings) {
  const EngineClient& engine = engineClient();
  if (settings.verbose) printNormal("Loading HALCON library");
  throwIfFailed(engine.hinit(kHinitValue));
  throwIfFailed(engine.hsetVerbosity(settings.verbose ? 1 : 0));
  throwIfFailed(engine.hsetFullscreen(settings.fullscreen ? 1 : 0));
  throwIfFailed(engine.hsetStdOutHandler(stdOutHandler));
  throwIfFailed(engine.hsetStdErrHandler(stdErrHandler));
  if (!settings.noDefaultWindow) throwIfFailed(engine.hopenDefaultWindow());
}

void setProcedurePath(const std::string& procedurePath, bool verbose) {
  if (verbose) printNormal("Setting HDevEngine procedure path: " + procedurePath);
  throwIfFailed(engineClient().haddProcedurePath(procedurePath.c_str()));
}

void applyEngineAttributes(const RunSettings& settings) {
  if (settings.debug) startDebugger(settings);
  if (settings.ignoreUnresolvedLines)
    setIntegerAttribute("ignore_unresolved_lines", 1, settings.verbose);
  if (settings.ignoreInvalidLines) setIntegerAttribute("ignore_invalid_lines", 1, settings.verbose);
  if (settings.executeProceduresJitCompiled)
    setIntegerAttribute("execute_procedures_jit_compiled", 1, settings.verbose);
}

}  // namespace Velotrax
