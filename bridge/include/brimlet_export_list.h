// The one list of the engine bridge's 50 exports, as X-macros: X(name, result, parameter list).
// Plain preprocessor text without includes, so that the linker's export map can be generated
// from it too. Use it through brimlet_exports.h, which declares the types named here.
#pragma once

// Three groups; resolution order is core, tuple, config.
#define BRIMLET_CORE_EXPORTS(X)                                                                \
  X(hclearErrorMsg, void, (EngineErrorRecord * record))                                        \
  X(hinit, EngineErrorRecord*, (int32_t reserved))                                             \
  X(hopenDefaultWindow, EngineErrorRecord*, (void))                                            \
  X(hunloadAllProcedures, EngineErrorRecord*, (void))                                          \
  X(hprepareShutdown, EngineErrorRecord*, (void))                                              \
  X(hsetVerbosity, EngineErrorRecord*, (int32_t flag))                                         \
  X(hsetFullscreen, EngineErrorRecord*, (int32_t flag))                                        \
  X(hgetsystem, EngineErrorRecord*, (const char* name, TupleHandle* tuple))                    \
  X(haddProcedurePath, EngineErrorRecord*, (const char* path))                                 \
  X(hcreateProcedure, EngineErrorRecord*, (const char* name, ProcedureHandle* procedure))      \
  X(hfreeProcedure, void, (ProcedureHandle procedure))                                         \
  X(hcreateProcedureCall, EngineErrorRecord*,                                                  \
    (ProcedureHandle procedure, ProcedureCallHandle * call))                                   \
  X(hfreeProcedureCall, void, (ProcedureCallHandle call))                                      \
  X(hprocedurecallExecute, EngineErrorRecord*, (ProcedureCallHandle call))                     \
  X(hprocedureGetInputIconicParamCount, EngineErrorRecord*,                                    \
    (ProcedureHandle procedure, int32_t * count))                                              \
  X(hprocedureGetOutputIconicParamCount, EngineErrorRecord*,                                   \
    (ProcedureHandle procedure, int32_t * count))                                              \
  X(hprocedureGetInputCtrlParamCount, EngineErrorRecord*,                                      \
    (ProcedureHandle procedure, int32_t * count))                                              \
  X(hprocedureGetOutputCtrlParamCount, EngineErrorRecord*,                                     \
    (ProcedureHandle procedure, int32_t * count))                                              \
  X(hprocedureGetInputIconicParamName, EngineErrorRecord*,                                     \
    (ProcedureHandle procedure, int32_t index, const char** name))                             \
  X(hprocedureGetOutputIconicParamName, EngineErrorRecord*,                                    \
    (ProcedureHandle procedure, int32_t index, const char** name))                             \
  X(hprocedureGetInputCtrlParamName, EngineErrorRecord*,                                       \
    (ProcedureHandle procedure, int32_t index, const char** name))                             \
  X(hprocedureGetOutputCtrlParamName, EngineErrorRecord*,                                      \
    (ProcedureHandle procedure, int32_t index, const char** name))                             \
  X(hprocedureGetInputIconicParamDimension, EngineErrorRecord*,                                \
    (ProcedureHandle procedure, int32_t index, int32_t * dimension))                           \
  X(hprocedureGetOutputIconicParamDimension, EngineErrorRecord*,                               \
    (ProcedureHandle procedure, int32_t index, int32_t * dimension))                           \
  X(hprocedureGetInputCtrlParamDimension, EngineErrorRecord*,                                  \
    (ProcedureHandle procedure, int32_t index, int32_t * dimension))                           \
  X(hprocedureGetOutputCtrlParamDimension, EngineErrorRecord*,                                 \
    (ProcedureHandle procedure, int32_t index, int32_t * dimension))                           \
  X(hprocedurecallSetInputCtrlParamTuple, EngineErrorRecord*,                                  \
    (ProcedureCallHandle call, int32_t index, TupleHandle tuple))                              \
  X(hprocedurecallGetOutputCtrlParamTuple, EngineErrorRecord*,                                 \
    (ProcedureCallHandle call, int32_t index, TupleHandle * tuple))                            \
  X(hcreateProgram, EngineErrorRecord*, (const char* fileName, ProgramHandle* program))        \
  X(hfreeProgram, void, (ProgramHandle program))                                               \
  X(hcreateProgramCall, EngineErrorRecord*, (ProgramHandle program, ProgramCallHandle * call)) \
  X(hfreeProgramCall, void, (ProgramCallHandle call))                                          \
  X(hprogramcallExecute, EngineErrorRecord*, (ProgramCallHandle call))

#define BRIMLET_TUPLE_EXPORTS(X)                                                \
  X(hcreateTuple, EngineErrorRecord*, (TupleHandle * tuple))                    \
  X(hfreeTuple, void, (TupleHandle tuple))                                      \
  X(happendTupleLong, void, (TupleHandle tuple, int64_t value))                 \
  X(happendTupleDouble, void, (TupleHandle tuple, double value))                \
  X(happendTupleString, void, (TupleHandle tuple, const char* text))            \
  X(hgetTupleLength, int64_t, (TupleHandle tuple))                              \
  X(hgetTupleElemType, int32_t, (TupleHandle tuple, int64_t index))             \
  X(hgetTupleElemLong, int64_t, (TupleHandle tuple, int64_t index))             \
  X(hgetTupleElemDouble, double, (TupleHandle tuple, int64_t index))            \
  X(hgetTupleElemString_TO_BE_FREED, char*, (TupleHandle tuple, int64_t index)) \
  X(hfreeTupleElemString, void, (char* text))

#define BRIMLET_CONFIG_EXPORTS(X)                                                   \
  X(hsetEngineAttribute, EngineErrorRecord*, (const char* name, const char* value)) \
  X(hsetEngineAttributeInt, EngineErrorRecord*, (const char* name, int32_t value))  \
  X(hstartDebugServer, EngineErrorRecord*, (void))                                  \
  X(hstopDebugServer, EngineErrorRecord*, (void))                                   \
  X(hsetStdOutHandler, EngineErrorRecord*, (OutputHandler handler))                 \
  X(hsetStdErrHandler, EngineErrorRecord*, (OutputHandler handler))

// All 50 in resolution order.
#define BRIMLET_EXPORTS(X) \
  BRIMLET_CORE_EXPORTS(X)  \
  BRIMLET_TUPLE_EXPORTS(X) \
  BRIMLET_CONFIG_EXPORTS(X)

// The same 50 in the field order of the runner's client, which keeps the configuration exports
// ahead of the tuple exports.
#define BRIMLET_EXPORTS_CLIENT_ORDER(X) \
  BRIMLET_CORE_EXPORTS(X)               \
  BRIMLET_CONFIG_EXPORTS(X)             \
  BRIMLET_TUPLE_EXPORTS(X)
