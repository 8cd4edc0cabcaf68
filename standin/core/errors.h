// Error codes raised by the stand-in library and engine, and their texts.
#pragma once

#include <string>

namespace standin {

// Operator status and error codes. Parameter faults use the library's
// families: 1200 + n wrong type, 1300 + n wrong value, 1400 + n wrong number
// of values of control parameter n.
namespace err {
constexpr int kOk = 2;
constexpr int kLoadFailed = 4;  // script refused at load time
constexpr int kWrongType = 1200;
constexpr int kWrongValue = 1300;
constexpr int kWrongCount = 1400;
constexpr int kFileNotFound = 5200;
constexpr int kFileOpen = 5201;
constexpr int kFileHandle = 5202;
constexpr int kFileWrite = 5203;  // the system refused a write or a close
constexpr int kOutOfMemory = 6001;
constexpr int kUserThreads = 9700;
// Script engine codes.
constexpr int kIndexRange = 21010;
constexpr int kDivByZero = 21011;
constexpr int kUninitialized = 21012;
constexpr int kRecursion = 21013;
constexpr int kTupleTooLarge = 21014;
constexpr int kInvalidLine = 21015;
constexpr int kUnresolvedCall = 21016;
constexpr int kUserException = 21017;
constexpr int kFormatUnsupported = 21018;
constexpr int kMalformedScript = 21019;
constexpr int kProcNotFound = 21020;
constexpr int kParamIndex = 21021;
constexpr int kOperatorImpl = 21022;
constexpr int kDebugServer = 21023;
constexpr int kNoImpl = 21024;
constexpr int kUnknownWindow = 21025;
constexpr int kBadFormat = 21026;
// Hosts: a failure that is neither a library nor an engine exception, caught at their boundary.
constexpr int kUnexpectedFailure = 21090;
// Tests: the engine failure armed with set_system('inject_fault', 'engine').
constexpr int kInjectedFault = 21091;
constexpr int kIntegerRange = 21027;  // integer overflow, or a number beyond the integer range
constexpr int kThrowCode = 21028;     // uncaught throw whose code does not fit an error code
constexpr int kRunLimit = 21029;      // step or time limit of the run reached
constexpr int kFileOutput = 21030;    // file output is switched off for this process
}  // namespace err

// The standard text for a code; a generic text for unknown codes.
std::string errorText(int code);

// Throws HalconCpp::HException for the operator with the standard text.
[[noreturn]] void raise(const char* op, int code);
[[noreturn]] void raise(const char* op, int code, const std::string& message);

}  // namespace standin
