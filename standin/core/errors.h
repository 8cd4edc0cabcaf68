// Status codes raised by the stand-in library and engine, and their texts.
#pragma once

#include <string>

#include "HalconCpp.h"

// Every status code with its name and standard text, in one list: OK(code, text) is success
// (H_MSG_TRUE, the interface's own name), FAMILY(base, name, text) a family base + n for control
// parameter n (text: n appended), CODE(code, name, text) a single code.
#define STANDIN_STATUS_LIST(OK, FAMILY, CODE)                                                   \
  OK(H_MSG_TRUE, "No error")                                                                    \
  CODE(4, kLoadFailed, "HDevEngine: error(s) while loading a script")                           \
  FAMILY(1200, kWrongType, "Wrong type of control parameter")                                   \
  FAMILY(1300, kWrongValue, "Wrong value of control parameter")                                 \
  FAMILY(1400, kWrongCount, "Wrong number of values of control parameter")                      \
  CODE(5200, kFileNotFound, "File not found")                                                   \
  CODE(5201, kFileOpen, "Cannot open file")                                                     \
  CODE(5202, kFileHandle, "Invalid file handle")                                                \
  /* the system refused a write or a close */                                                   \
  CODE(5203, kFileWrite, "Cannot write file")                                                   \
  CODE(6001, kOutOfMemory, "Not enough memory available")                                       \
  CODE(9700, kUserThreads, "User threads are still running")                                    \
  /* The script engine's codes. */                                                              \
  CODE(21010, kIndexRange, "Index out of range")                                                \
  CODE(21011, kDivByZero, "Division by zero")                                                   \
  CODE(21012, kUninitialized, "Variable used before it was set")                                \
  CODE(21013, kRecursion, "Procedure call depth limit exceeded")                                \
  CODE(21014, kTupleTooLarge, "Tuple exceeds the maximum number of elements")                   \
  CODE(21015, kInvalidLine, "Invalid program line executed")                                    \
  CODE(21016, kUnresolvedCall, "Call of an unresolved procedure executed")                      \
  CODE(21017, kUserException, "Uncaught exception thrown by the script")                        \
  CODE(21018, kFormatUnsupported, "Script file format not supported")                           \
  CODE(21019, kMalformedScript, "Malformed script file")                                        \
  CODE(21020, kProcNotFound, "Procedure not found")                                             \
  CODE(21021, kParamIndex, "Parameter index out of range")                                      \
  CODE(21022, kOperatorImpl, "Window operator implementation failed")                           \
  CODE(21023, kDebugServer, "Debug server could not be started")                                \
  CODE(21024, kNoImpl, "Operator not available in this library")                                \
  CODE(21025, kUnknownWindow, "Window handle not valid")                                        \
  CODE(21026, kBadFormat, "Invalid format string")                                              \
  /* integer overflow, or a number beyond the integer range */                                  \
  CODE(21027, kIntegerRange, "Integer overflow: the value is outside the 64-bit integer range") \
  /* an uncaught throw whose code does not fit an error code */                                 \
  CODE(21028, kThrowCode, "Uncaught exception with an error code outside the 32-bit range")     \
  CODE(21029, kRunLimit, "Step or time limit of the run reached")                               \
  /* file output is switched off for this process */                                            \
  CODE(21030, kFileOutput, "File output is not allowed")                                        \
  /* hosts: a failure that is neither a library nor an engine exception, caught at their */     \
  /* boundary */                                                                                \
  CODE(21090, kUnexpectedFailure, "Unexpected failure outside the library's error handling")    \
  /* tests: the engine failure armed with set_system('inject_fault', 'engine') */               \
  CODE(21091, kInjectedFault, "Failure injected for a test")

namespace standin {

// The codes as constants, err::kLoadFailed and so on.
namespace err {
#define STANDIN_NO_CONSTANT(code, text)
#define STANDIN_CONSTANT(code, name, text) constexpr int name = code;
STANDIN_STATUS_LIST(STANDIN_NO_CONSTANT, STANDIN_CONSTANT, STANDIN_CONSTANT)
#undef STANDIN_CONSTANT
#undef STANDIN_NO_CONSTANT
}  // namespace err

// The standard text for a code; a generic text for unknown codes.
std::string errorText(int code);

// Throws HalconCpp::HException for the operator with the standard text.
[[noreturn]] void raise(const char* op, int code);
[[noreturn]] void raise(const char* op, int code, const std::string& message);

}  // namespace standin
