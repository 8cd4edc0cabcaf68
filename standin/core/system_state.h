// Process-wide settings of the vision library (get_system / set_system),
// per-thread error details and the low-level error reports.
#pragma once

#include <string>

#include "value.h"

namespace standin {

Value getSystem(const Value& name);
void setSystem(const Value& name, const Value& value);

// Called by every failing operator: remembers the error for this thread.
void noteOperatorError(const char* op, int code, const std::string& message);
// Adds details to the error about to be raised by this thread.
void noteExtendedInfo(const char* op, int code, const std::string& details);

struct ExtendedInfo {
  std::string op;
  int code = 0;  // 0: no details for the last error
  std::string message;
};
ExtendedInfo extendedInfo();

// A recoverable problem: reaches the do_low_error callback or stderr.
void reportLowLevelError(const std::string& text);

}  // namespace standin
