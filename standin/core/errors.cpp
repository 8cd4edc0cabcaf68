#include "errors.h"

#include "HalconCpp.h"
#include "system_state.h"

namespace standin {

std::string errorText(int code) {
  if (code > err::kWrongType && code < err::kWrongType + 100)
    return "Wrong type of control parameter: " + std::to_string(code - err::kWrongType);
  if (code > err::kWrongValue && code < err::kWrongValue + 100)
    return "Wrong value of control parameter: " + std::to_string(code - err::kWrongValue);
  if (code > err::kWrongCount && code < err::kWrongCount + 100)
    return "Wrong number of values of control parameter: " +
           std::to_string(code - err::kWrongCount);
  switch (code) {
    case err::kOk:
      return "No error";
    case err::kLoadFailed:
      return "HDevEngine: error(s) while loading a script";
    case err::kFileNotFound:
      return "File not found";
    case err::kFileOpen:
      return "Cannot open file";
    case err::kFileHandle:
      return "Invalid file handle";
    case err::kFileWrite:
      return "Cannot write file";
    case err::kOutOfMemory:
      return "Not enough memory available";
    case err::kUserThreads:
      return "User threads are still running";
    case err::kIndexRange:
      return "Index out of range";
    case err::kDivByZero:
      return "Division by zero";
    case err::kUninitialized:
      return "Variable used before it was set";
    case err::kRecursion:
      return "Procedure call depth limit exceeded";
    case err::kTupleTooLarge:
      return "Tuple exceeds the maximum number of elements";
    case err::kInvalidLine:
      return "Invalid program line executed";
    case err::kUnresolvedCall:
      return "Call of an unresolved procedure executed";
    case err::kUserException:
      return "Uncaught exception thrown by the script";
    case err::kFormatUnsupported:
      return "Script file format not supported";
    case err::kMalformedScript:
      return "Malformed script file";
    case err::kProcNotFound:
      return "Procedure not found";
    case err::kParamIndex:
      return "Parameter index out of range";
    case err::kOperatorImpl:
      return "Window operator implementation failed";
    case err::kDebugServer:
      return "Debug server could not be started";
    case err::kNoImpl:
      return "Operator not available in this library";
    case err::kUnknownWindow:
      return "Window handle not valid";
    case err::kBadFormat:
      return "Invalid format string";
    case err::kUnexpectedFailure:
      return "Unexpected failure outside the library's error handling";
    case err::kInjectedFault:
      return "Failure injected for a test";
    case err::kIntegerRange:
      return "Integer overflow: the value is outside the 64-bit integer range";
    case err::kThrowCode:
      return "Uncaught exception with an error code outside the 32-bit range";
    case err::kRunLimit:
      return "Step or time limit of the run reached";
    case err::kFileOutput:
      return "File output is not allowed";
    default:
      return "Unknown error code " + std::to_string(code);
  }
}

void raise(const char* op, int code) {
  raise(op, code, errorText(code));
}

void raise(const char* op, int code, const std::string& message) {
  noteOperatorError(op, code, message);
  throw HalconCpp::HException(op, code, message.c_str());
}

}  // namespace standin
