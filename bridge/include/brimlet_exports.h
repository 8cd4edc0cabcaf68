// The engine bridge's C interface, shared by the bridge and the runner: the error record, the
// opaque handles, the tuple element type codes, the output handler, and the one list of the 50
// exports (and the one of the optional exports) from which their declarations, the runner's
// binding and the names are generated.
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

#include "brimlet_export_list.h"
#include "brimlet_optional_export_list.h"

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
BRIMLET_OPTIONAL_EXPORTS(BRIMLET_DECLARE)
#undef BRIMLET_DECLARE
#ifdef __cplusplus
}
#endif
#endif

// Function pointer types named after the exports: brimlet_hinit_fn and so on.
#define BRIMLET_POINTER_TYPE(name, result, parameters) \
  typedef result(*brimlet_##name##_fn) parameters;
BRIMLET_EXPORTS(BRIMLET_POINTER_TYPE)
BRIMLET_OPTIONAL_EXPORTS(BRIMLET_POINTER_TYPE)
#undef BRIMLET_POINTER_TYPE

#ifdef __cplusplus
// The export names in resolution order.
inline constexpr const char* kBrimletExportNames[] = {
#define BRIMLET_NAME(name, result, parameters) #name,
    BRIMLET_EXPORTS(BRIMLET_NAME)};
inline constexpr int kBrimletExportCount =
    sizeof(kBrimletExportNames) / sizeof(kBrimletExportNames[0]);
static_assert(kBrimletExportCount == 50, "the bridge has 50 exports");
// The names of the optional exports.
inline constexpr const char* kBrimletOptionalExportNames[] = {
    BRIMLET_OPTIONAL_EXPORTS(BRIMLET_NAME)};
#undef BRIMLET_NAME
#endif
