#include "script_run.h"

#include <optional>
#include <sstream>
#include <string>

#include "common/messages.h"
#include "common/run_settings.h"
#include "engine_exception_report.h"
#include "halcon/hde_exception.h"
#include "os/clock.h"
#include "window_dump.h"

namespace Velotrax {

namespace {

constexpr int32_t kEngineExceptionType = 2;

struct ParameterInfo {
  std::string name;
  int32_t dimension = 0;  // 0 for a single value, 1 or more for a vector
};

struct ProcedureSignature {
  std::string name;
  std::vector<ParameterInfo> inputIconic, outputIconic, inputCtrl, outputCtrl;
};

using CountQuery = brimlet_hprocedureGetInputIconicParamCount_fn;
using NameQuery = brimlet_hprocedureGetInputIconicParamName_fn;
using DimensionQuery = brimlet_hprocedureGetInputIconicParamDimension_fn;

std::vector<ParameterInfo> parameters(ProcedureHandle procedure, CountQuery count, NameQuery name,
                                      DimensionQuery dimension) {
  int32_t n = 0;
  throwIfFailed(count(procedure, &n));
  std::vector<ParameterInfo> list;
  for (int32_t i = 1; i <= n; ++i) {
    ParameterInfo info;
    const char* text = nullptr;
    throwIfFailed(name(procedure, i, &text));
    info.name = text ? text : "";
    throwIfFailed(dimension(procedure, i, &info.dimension));
    list.push_back(std::move(info));
  }
  return list;
}

ProcedureSignature signatureOf(ProcedureHandle procedure, const std::string& name) {
  const EngineClient& engine = engineClient();
  ProcedureSignature signature{name, {}, {}, {}, {}};
  signature.inputIconic = parameters(procedure, engine.hprocedureGetInputIconicParamCount,
                                     engine.hprocedureGetInputIconicParamName,
                                     engine.hprocedureGetInputIconicParamDimension);
  signature.outputIconic = parameters(procedure, engine.hprocedureGetOutputIconicParamCount,
                                      engine.hprocedureGetOutputIconicParamName,
                                      engine.hprocedureGetOutputIconicParamDimension);
  signature.inputCtrl = parameters(procedure, engine.hprocedureGetInputCtrlParamCount,
                                   engine.hprocedureGetInputCtrlParamName,
                                   engine.hprocedureGetInputCtrlParamDimension);
  signature.outputCtrl = parameters(procedure, engine.hprocedureGetOutputCtrlParamCount,
                                    engine.hprocedureGetOutputCtrlParamName,
                                    engine.hprocedureGetOutputCtrlParamDimension);
  return signature;
}

// name ( Image: : Threshold, Points {dim:1}: Area)
std::string signatureText(const ProcedureSignature& signature) {
  std::ostringstream text;
  text << signature.name << " ( ";
  const std::vector<ParameterInfo>* lists[] = {&signature.inputIconic, &signature.outputIconic,
                                               &signature.inputCtrl, &signature.outputCtrl};
  for (size_t l = 0; l < 4; ++l) {
    if (l) text << ": ";
    for (size_t p = 0; p < lists[l]->size(); ++p) {
      const ParameterInfo& parameter = (*lists[l])[p];
      text << (p ? ", " : "") << parameter.name;
      if (parameter.dimension >= 1) text << " {dim:" << parameter.dimension << "}";
    }
  }
  text << ")";
  return text.str();
}

std::string countMessage(const std::string& signature, size_t expected, size_t given) {
  std::ostringstream text;
  text << "Cannot call procedure \"" << signature << "\" directly. It contains " << expected
       << (expected == 1 ? " input parameter" : " input control parameters") << ", but ";
  if (given == 1)
    text << "1 control parameter is specified as argument";
  else
    text << given << " control parameters are specified as arguments";
  text << " at the command line. Specify the correct number of control parameters at the command "
          "line.";
  if (given == 0)
    text << " Another possible way to solve this problem is to write a wrapper external procedure "
            "without arguments and call this new procedure instead.";
  return text.str();
}

std::string vectorMessage(const std::string& signature) {
  return "Cannot call procedure \"" + signature +
         "\" directly. It contains at least one input control vector. Vectors are not supported "
         "by " +
         std::string(kProductName) +
         ", yet.\nA possible way to solve this problem is to write a wrapper external procedure "
         "without vector arguments and call this new procedure instead.";
}

// Whole milliseconds between two clock readings, truncated.
int elapsedSince(int64_t startNs) {
  return static_cast<int>((os::monotonicNanoseconds() - startNs) / 1000000);
}

// The outputs are read only when the engine hands them over: a refused count or tuple is
// reported and fails the run.
bool printOutputs(ProcedureHandle procedure, ProcedureCallHandle call) {
  const EngineClient& engine = engineClient();
  int32_t count = 0;
  if (EngineErrorRecord* failed = engine.hprocedureGetOutputCtrlParamCount(procedure, &count)) {
    printError(HDEException(failed).what());
    return false;
  }
  for (int32_t i = 1; i <= count; ++i) {
    const char* name = nullptr;
    throwIfFailed(engine.hprocedureGetOutputCtrlParamName(procedure, i, &name));
    const std::string parameter = name ? name : "";
    TupleHandle value = nullptr;
    if (EngineErrorRecord* failed = engine.hprocedurecallGetOutputCtrlParamTuple(call, i, &value)) {
      printError(HDEException(failed).what());
      return false;
    }
    const TupleHolder held = holdTuple(value);  // released right after printing
    printNormal(parameter + ": " + tuplePrintedForm(value));
  }
  return true;
}

bool runProcedure(const RunSettings& settings, const LocatedScript& script,
                  const std::vector<ProcedureArgument>& arguments, int& elapsedMs) {
  const EngineClient& engine = engineClient();
  if (settings.verbose) printNormal("Loading procedure: " + script.procedureName);

  ProcedureHandle created = nullptr;
  const int64_t loadStart = os::monotonicNanoseconds();
  EngineErrorRecord* failed = engine.hcreateProcedure(script.procedureName.c_str(), &created);
  const int loadMs = elapsedSince(loadStart);
  throwIfFailed(failed);
  // Declared before the call, so the call is released first.
  const ProcedureHolder procedure = holdProcedure(created);

  const ProcedureSignature signature = signatureOf(procedure.get(), script.procedureName);
  const std::string text = signatureText(signature);
  if (settings.checkonly) {
    if (settings.verbose)
      printNormal("Successfully loaded procedure: " + text + " (" + std::to_string(loadMs) + "ms)");
    return true;
  }
  if (settings.verbose) printNormal("Calling procedure: " + text);

  ProcedureCallHandle createdCall = nullptr;
  throwIfFailed(engine.hcreateProcedureCall(procedure.get(), &createdCall));
  const ProcedureCallHolder call = holdProcedureCall(createdCall);

  // Iconic inputs count although the command line cannot give them.
  const size_t expected = signature.inputIconic.size() + signature.inputCtrl.size();
  if (expected != arguments.size()) {
    printError(countMessage(text, expected, arguments.size()));
    return false;
  }
  for (const ParameterInfo& input : signature.inputCtrl) {
    if (input.dimension >= 1) {
      printError(vectorMessage(text));
      return false;
    }
  }
  for (size_t i = 0; i < arguments.size(); ++i)
    throwIfFailed(engine.hprocedurecallSetInputCtrlParamTuple(
        call.get(), static_cast<int32_t>(i + 1), arguments[i].tuple.get()));

  const int64_t start = os::monotonicNanoseconds();
  failed = engine.hprocedurecallExecute(call.get());
  const int executionMs = elapsedSince(start);
  throwIfFailed(failed);
  elapsedMs = executionMs;

  printNormal("output control parameters:");
  if (printOutputs(procedure.get(), call.get())) return true;
  elapsedMs = -1;  // a failed run shows no time
  return false;
}

bool runProgram(const RunSettings& settings, const std::string& programPath, int& elapsedMs) {
  const EngineClient& engine = engineClient();
  if (settings.verbose) printNormal("Loading program: " + programPath);

  ProgramHandle created = nullptr;
  const int64_t loadStart = os::monotonicNanoseconds();
  EngineErrorRecord* failed = engine.hcreateProgram(programPath.c_str(), &created);
  const int loadMs = elapsedSince(loadStart);
  throwIfFailed(failed);
  const ProgramHolder program = holdProgram(created);

  if (settings.checkonly) {
    if (settings.verbose)
      printNormal("Successfully loaded program: " + programPath + " (" + std::to_string(loadMs) +
                  "ms)");
    return true;
  }
  if (settings.verbose) printNormal("Calling program: " + programPath);

  ProgramCallHandle createdCall = nullptr;
  throwIfFailed(engine.hcreateProgramCall(program.get(), &createdCall));
  const ProgramCallHolder call = holdProgramCall(createdCall);

  const int64_t start = os::monotonicNanoseconds();
  failed = engine.hprogramcallExecute(call.get());
  const int executionMs = elapsedSince(start);
  throwIfFailed(failed);
  elapsedMs = executionMs;
  return true;
}

// The run itself; engine exceptions are reported here, and described in `record` when one is
// given; other failures propagate.
bool runOnce(const RunRequest& request, const std::vector<ProcedureArgument>& arguments,
             int& elapsedMs, RunRecord* record) {
  const RunSettings& settings = request.settings;
  const LocatedScript& script = request.script;
  try {
    if (!script.procedureName.empty()) return runProcedure(settings, script, arguments, elapsedMs);
    if (!script.programPath.empty()) return runProgram(settings, script.programPath, elapsedMs);
    return false;  // a program that was not found: its warning has been written
  } catch (const HDEException& e) {
    if (e.record().type != kEngineExceptionType) throw;
    std::string report;
    try {
      report = reportEngineException(e, scriptSearch(request), script.scriptPath);
    } catch (...) {
    }
    if (record) {
      record->failureMessage = e.what();
      while (!record->failureMessage.empty() && record->failureMessage.back() == ' ')
        record->failureMessage.pop_back();
      record->failureType = engineErrorTypeName(e.record().type);
      record->failureText = report;
    }
    return false;
  }
}

// Writes the open windows: their files, or nothing when that failed, which has been reported.
std::optional<std::vector<std::string>> dumpWindowsAfterRun(const RunRequest& request) {
  try {
    std::vector<std::string> written = dumpWindows(request);
    if (request.settings.verbose)
      for (const std::string& path : written) printNormal("Dumped window to " + path);
    return written;
  } catch (const std::exception& e) {
    printError(std::string("could not dump the windows: ") + e.what());
  }
  return std::nullopt;
}

}  // namespace

ScriptSearch scriptSearch(const RunRequest& request) {
  return {request.script.procedureDirectories, request.halconroot, request.settings.verbose};
}

bool runScript(const RunRequest& request, const std::vector<ProcedureArgument>& arguments,
               int& elapsedMs, RunRecord* record) {
  elapsedMs = -1;
  if (request.settings.queryMode) return false;
  const bool dumping = !request.settings.dumpWindows.empty();
  bool success = false;
  try {
    success = runOnce(request, arguments, elapsedMs, record);
  } catch (...) {
    // The windows show what the run had drawn when it failed.
    if (dumping) dumpWindowsAfterRun(request);
    throw;
  }
  if (!dumping) return success;
  const std::optional<std::vector<std::string>> written = dumpWindowsAfterRun(request);
  if (!written) {
    elapsedMs = -1;  // a failed run shows no time
    return false;
  }
  if (record) record->attachments = *written;
  return success;
}

std::string reportRunResult(const RunRequest& request, bool success, int elapsedMs) {
  const RunSettings& settings = request.settings;
  const LocatedScript& script = request.script;
  std::ostringstream line;
  line << (settings.checkonly ? "Check of " : "Execution of ");
  if (!script.procedureName.empty())
    line << "procedure " << script.procedureName;
  else if (!script.programPath.empty())
    line << "program " << script.programPath;
  else
    line << "program " << settings.scriptArgument;  // not found: named as typed
  line << (success ? " succeeded" : " failed");
  if (elapsedMs >= 0) line << " (" << elapsedMs << "ms)";
  line << ".";
  if (success)
    printNormal(line);
  else
    printError(line);
  return line.str();
}

}  // namespace Velotrax
