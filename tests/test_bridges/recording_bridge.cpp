// A bridge for tests: exports the same 50 functions as the real one (none of the optional ones,
// like an older bridge), forwards each call to the bridge named by VELOTRAX_BRIDGE_TARGET and
// appends one line per call to the file named by VELOTRAX_BRIDGE_LOG: the export's name, its
// arguments ("text", numbers, ptr or null) and " = error" when it returned an error record.
// Calls from a separate-mode child start with "child ". When it binds its target it also logs
// "mapped " + each vision-library file the process has mapped. Built with
// RECORDING_BRIDGE_WITHOUT_PREPARE_SHUTDOWN it lacks that export.
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <type_traits>

#include "brimlet_exports.h"
#include "target_library.h"

namespace {

struct Entries {
#define RECORDING_FIELD(name, result, parameters) brimlet_##name##_fn name = nullptr;
  BRIMLET_EXPORTS(RECORDING_FIELD)
#undef RECORDING_FIELD
};

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

void appendLine(const std::string& line) {
  static std::mutex lock;
  const std::string log = environment("VELOTRAX_BRIDGE_LOG");
  if (log.empty()) return;
  std::lock_guard<std::mutex> hold(lock);
  if (std::FILE* file = std::fopen(log.c_str(), "a")) {
    const std::string role = environment("VELOTRAX_IS_SLAVE") == "1" ? "child " : "";
    std::fputs((role + line + "\n").c_str(), file);
    std::fclose(file);
  }
}

Entries bindTarget() {
  const std::string path = environment("VELOTRAX_BRIDGE_TARGET");
  void* library = openTargetLibrary(path);
  if (!library) {
    std::fprintf(stderr, "recording bridge: cannot load %s\n", path.c_str());
    std::abort();
  }
  for (const std::string& file : mappedVisionLibraries()) appendLine("mapped " + file);
  Entries entries;
#define RECORDING_BIND(name, result, parameters)                                      \
  entries.name = reinterpret_cast<brimlet_##name##_fn>(targetSymbol(library, #name)); \
  if (!entries.name) std::abort();
  BRIMLET_EXPORTS(RECORDING_BIND)
#undef RECORDING_BIND
  return entries;
}

const Entries& target() {
  static const Entries entries = bindTarget();
  return entries;
}

void describe(std::string& line, const char* text) {
  line += text ? "\"" + std::string(text) + "\"" : std::string("null");
}
void describe(std::string& line, int32_t value) {
  line += std::to_string(value);
}
void describe(std::string& line, int64_t value) {
  line += std::to_string(value);
}
void describe(std::string& line, double value) {
  line += std::to_string(value);
}
template <class T>
void describe(std::string& line, T* pointer) {
  line += pointer ? "ptr" : "null";
}

template <class Entry, class... Arguments>
auto forward(const char* name, Entry Entries::*entry, Arguments... arguments) {
  std::string line = name;
  ((line += " ", describe(line, arguments)), ...);
  using Result = decltype((target().*entry)(arguments...));
  if constexpr (std::is_void_v<Result>) {
    (target().*entry)(arguments...);
    appendLine(line);
  } else {
    Result result = (target().*entry)(arguments...);
    if constexpr (std::is_same_v<Result, EngineErrorRecord*>)
      if (result) line += " = error";
    appendLine(line);
    return result;
  }
}

}  // namespace

extern "C" {

// Error records and engine lifecycle.
void hclearErrorMsg(EngineErrorRecord* r) {
  forward(__func__, &Entries::hclearErrorMsg, r);
}
EngineErrorRecord* hinit(int32_t v) {
  return forward(__func__, &Entries::hinit, v);
}
EngineErrorRecord* hopenDefaultWindow(void) {
  return forward(__func__, &Entries::hopenDefaultWindow);
}
EngineErrorRecord* hunloadAllProcedures(void) {
  return forward(__func__, &Entries::hunloadAllProcedures);
}
#ifndef RECORDING_BRIDGE_WITHOUT_PREPARE_SHUTDOWN
EngineErrorRecord* hprepareShutdown(void) {
  return forward(__func__, &Entries::hprepareShutdown);
}
#endif
EngineErrorRecord* hsetVerbosity(int32_t v) {
  return forward(__func__, &Entries::hsetVerbosity, v);
}
EngineErrorRecord* hsetFullscreen(int32_t v) {
  return forward(__func__, &Entries::hsetFullscreen, v);
}
EngineErrorRecord* hgetsystem(const char* n, TupleHandle* t) {
  return forward(__func__, &Entries::hgetsystem, n, t);
}
EngineErrorRecord* haddProcedurePath(const char* p) {
  return forward(__func__, &Entries::haddProcedurePath, p);
}

// Procedures and programs.
EngineErrorRecord* hcreateProcedure(const char* n, ProcedureHandle* p) {
  return forward(__func__, &Entries::hcreateProcedure, n, p);
}
void hfreeProcedure(ProcedureHandle p) {
  forward(__func__, &Entries::hfreeProcedure, p);
}
EngineErrorRecord* hcreateProcedureCall(ProcedureHandle p, ProcedureCallHandle* c) {
  return forward(__func__, &Entries::hcreateProcedureCall, p, c);
}
void hfreeProcedureCall(ProcedureCallHandle c) {
  forward(__func__, &Entries::hfreeProcedureCall, c);
}
EngineErrorRecord* hprocedurecallExecute(ProcedureCallHandle c) {
  return forward(__func__, &Entries::hprocedurecallExecute, c);
}
EngineErrorRecord* hprocedureGetInputIconicParamCount(ProcedureHandle p, int32_t* n) {
  return forward(__func__, &Entries::hprocedureGetInputIconicParamCount, p, n);
}
EngineErrorRecord* hprocedureGetOutputIconicParamCount(ProcedureHandle p, int32_t* n) {
  return forward(__func__, &Entries::hprocedureGetOutputIconicParamCount, p, n);
}
EngineErrorRecord* hprocedureGetInputCtrlParamCount(ProcedureHandle p, int32_t* n) {
  return forward(__func__, &Entries::hprocedureGetInputCtrlParamCount, p, n);
}
EngineErrorRecord* hprocedureGetOutputCtrlParamCount(ProcedureHandle p, int32_t* n) {
  return forward(__func__, &Entries::hprocedureGetOutputCtrlParamCount, p, n);
}
EngineErrorRecord* hprocedureGetInputIconicParamName(ProcedureHandle p, int32_t i, const char** n) {
  return forward(__func__, &Entries::hprocedureGetInputIconicParamName, p, i, n);
}
EngineErrorRecord* hprocedureGetOutputIconicParamName(ProcedureHandle p, int32_t i,
                                                      const char** n) {
  return forward(__func__, &Entries::hprocedureGetOutputIconicParamName, p, i, n);
}
EngineErrorRecord* hprocedureGetInputCtrlParamName(ProcedureHandle p, int32_t i, const char** n) {
  return forward(__func__, &Entries::hprocedureGetInputCtrlParamName, p, i, n);
}
EngineErrorRecord* hprocedureGetOutputCtrlParamName(ProcedureHandle p, int32_t i, const char** n) {
  return forward(__func__, &Entries::hprocedureGetOutputCtrlParamName, p, i, n);
}
EngineErrorRecord* hprocedureGetInputIconicParamDimension(ProcedureHandle p, int32_t i,
                                                          int32_t* d) {
  return forward(__func__, &Entries::hprocedureGetInputIconicParamDimension, p, i, d);
}
EngineErrorRecord* hprocedureGetOutputIconicParamDimension(ProcedureHandle p, int32_t i,
                                                           int32_t* d) {
  return forward(__func__, &Entries::hprocedureGetOutputIconicParamDimension, p, i, d);
}
EngineErrorRecord* hprocedureGetInputCtrlParamDimension(ProcedureHandle p, int32_t i, int32_t* d) {
  return forward(__func__, &Entries::hprocedureGetInputCtrlParamDimension, p, i, d);
}
EngineErrorRecord* hprocedureGetOutputCtrlParamDimension(ProcedureHandle p, int32_t i, int32_t* d) {
  return forward(__func__, &Entries::hprocedureGetOutputCtrlParamDimension, p, i, d);
}
EngineErrorRecord* hprocedurecallSetInputCtrlParamTuple(ProcedureCallHandle c, int32_t i,
                                                        TupleHandle t) {
  return forward(__func__, &Entries::hprocedurecallSetInputCtrlParamTuple, c, i, t);
}
EngineErrorRecord* hprocedurecallGetOutputCtrlParamTuple(ProcedureCallHandle c, int32_t i,
                                                         TupleHandle* t) {
  return forward(__func__, &Entries::hprocedurecallGetOutputCtrlParamTuple, c, i, t);
}
EngineErrorRecord* hcreateProgram(const char* f, ProgramHandle* p) {
  return forward(__func__, &Entries::hcreateProgram, f, p);
}
void hfreeProgram(ProgramHandle p) {
  forward(__func__, &Entries::hfreeProgram, p);
}
EngineErrorRecord* hcreateProgramCall(ProgramHandle p, ProgramCallHandle* c) {
  return forward(__func__, &Entries::hcreateProgramCall, p, c);
}
void hfreeProgramCall(ProgramCallHandle c) {
  forward(__func__, &Entries::hfreeProgramCall, c);
}
EngineErrorRecord* hprogramcallExecute(ProgramCallHandle c) {
  return forward(__func__, &Entries::hprogramcallExecute, c);
}

// Tuples.
EngineErrorRecord* hcreateTuple(TupleHandle* t) {
  return forward(__func__, &Entries::hcreateTuple, t);
}
void hfreeTuple(TupleHandle t) {
  forward(__func__, &Entries::hfreeTuple, t);
}
void happendTupleLong(TupleHandle t, int64_t v) {
  forward(__func__, &Entries::happendTupleLong, t, v);
}
void happendTupleDouble(TupleHandle t, double v) {
  forward(__func__, &Entries::happendTupleDouble, t, v);
}
void happendTupleString(TupleHandle t, const char* s) {
  forward(__func__, &Entries::happendTupleString, t, s);
}
int64_t hgetTupleLength(TupleHandle t) {
  return forward(__func__, &Entries::hgetTupleLength, t);
}
int32_t hgetTupleElemType(TupleHandle t, int64_t i) {
  return forward(__func__, &Entries::hgetTupleElemType, t, i);
}
int64_t hgetTupleElemLong(TupleHandle t, int64_t i) {
  return forward(__func__, &Entries::hgetTupleElemLong, t, i);
}
double hgetTupleElemDouble(TupleHandle t, int64_t i) {
  return forward(__func__, &Entries::hgetTupleElemDouble, t, i);
}
char* hgetTupleElemString_TO_BE_FREED(TupleHandle t, int64_t i) {
  return forward(__func__, &Entries::hgetTupleElemString_TO_BE_FREED, t, i);
}
void hfreeTupleElemString(char* s) {
  forward(__func__, &Entries::hfreeTupleElemString, s);
}

// Engine configuration.
EngineErrorRecord* hsetEngineAttribute(const char* n, const char* v) {
  return forward(__func__, &Entries::hsetEngineAttribute, n, v);
}
EngineErrorRecord* hsetEngineAttributeInt(const char* n, int32_t v) {
  return forward(__func__, &Entries::hsetEngineAttributeInt, n, v);
}
EngineErrorRecord* hstartDebugServer(void) {
  return forward(__func__, &Entries::hstartDebugServer);
}
EngineErrorRecord* hstopDebugServer(void) {
  return forward(__func__, &Entries::hstopDebugServer);
}
EngineErrorRecord* hsetStdOutHandler(OutputHandler h) {
  return forward(__func__, &Entries::hsetStdOutHandler, h);
}
EngineErrorRecord* hsetStdErrHandler(OutputHandler h) {
  return forward(__func__, &Entries::hsetStdErrHandler, h);
}

}  // extern "C"
