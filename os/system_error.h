// The system's own words for a failed call.
#pragma once

#include <string>

namespace Velotrax::os {

// Why an OS call failed: the system's message, and for the verbose trace the call that failed
// with its error number.
struct OsFailure {
  std::string step;  // the failing call; empty where the platform traces none
  long code = 0;     // its error number
  std::string text;  // the system's message
};

// The message for the calling thread's last error (Windows: GetLastError through FormatMessageA,
// taken unchanged; POSIX: errno through strerror). Empty when that error is 0.
std::string lastErrorText();

// The calling thread's last error number (GetLastError, errno).
long lastErrorCode();

}  // namespace Velotrax::os
