// The engine bridge's C interface, shared by the bridge and the runner: the error record, the
// opaque handles, the tuple element type codes, the output handler, and the one list of the 50
// exports from which their declarations, the runner's binding and the names are generated.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// What a failing export returns; null means success. Released only by hclearErrorMsg.
typedef struct EngineErrorRecord {
  int32_t type;             // 1 vision-library exception, 2 engine exception
  char* procName;           // procedure being executed, or the failing operator (type 1)
  char* progLineName;       // operator of the failing program line (type 2 only)
  int32_t errorCode;        // vision-library error code
  int32_t progLine;         // failing program line, -1 when unknown
  char* message;            // the exception's message
  char* errorText;          // standard text for errorCode
  char* extendedErrorInfo;  // extended information, null when there is none
} EngineErrorRecord;

// Opaque handles, each released by its own export.
typedef struct BrimletTuple* TupleHandle;
typedef struct BrimletProcedure* ProcedureHandle;
typedef struct BrimletProcedureCall* ProcedureCallHandle;
typedef struct BrimletProgram* ProgramHandle;
typedef struct BrimletProgramCall* ProgramCallHandle;

// Receives one NUL-terminated text the bridge wants shown.
typedef void (*OutputHandler)(const char* text);

// Tuple element type codes.
enum { kTupleElemLong = 1, kTupleElemDouble = 2, kTupleElemString = 4 };

#ifdef __cplusplus
}
#endif

// The exports in three groups; resolution order is core, tuple, config. The runner's client
// keeps its fields in the order core, config, tuple. X(name, result, parameter list).
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

// The C declarations, as the bridge defines them.
#ifdef BRIMLET_BUILDING_BRIDGE
#if defined(_WIN32)
#define BRIMLET_API __declspec(dllexport)
#else
#define BRIMLET_API __attribute__((visibility("default")))
#endif
#ifdef __cplusplus
extern "C" {
#endif
#define BRIMLET_DECLARE(name, result, parameters) BRIMLET_API result name parameters;
BRIMLET_EXPORTS(BRIMLET_DECLARE)
#undef BRIMLET_DECLARE
#ifdef __cplusplus
}
#endif
#endif

// Function pointer types named after the exports: brimlet_hinit_fn and so on.
#define BRIMLET_POINTER_TYPE(name, result, parameters) \
  typedef result(*brimlet_##name##_fn) parameters;
BRIMLET_EXPORTS(BRIMLET_POINTER_TYPE)
#undef BRIMLET_POINTER_TYPE

#ifdef __cplusplus
// The export names in resolution order.
inline constexpr const char* kBrimletExportNames[] = {
#define BRIMLET_NAME(name, result, parameters) #name,
    BRIMLET_EXPORTS(BRIMLET_NAME)
#undef BRIMLET_NAME
};
inline constexpr int kBrimletExportCount =
    sizeof(kBrimletExportNames) / sizeof(kBrimletExportNames[0]);
static_assert(kBrimletExportCount == 50, "the bridge has 50 exports");
#endif
