#include "system_state.h"

#include <cstdio>
#include <mutex>

#include "errors.h"
#include "fault_injection.h"
#include "tuple_arithmetic.h"
#include "user_threads.h"

namespace standin {
namespace {

// Signature of a do_low_error callback: the message in, status 2 out.
using LowErrorCallback = int (*)(const char*);

enum class LowErrorMode { Off, Print, Callback };

struct SystemSettings {
  std::mutex lock;
  int64_t width = 512;
  int64_t height = 512;
  bool useWindowThread = false;
  LowErrorMode lowErrorMode = LowErrorMode::Off;
  LowErrorCallback lowErrorCallback = nullptr;
  int64_t lowErrorAddress = 0;
};

SystemSettings& settings() {
  static SystemSettings s;
  return s;
}

thread_local ExtendedInfo tlsExtended;
thread_local bool tlsExtendedPending = false;

bool textFlag(const Value& value, const char* op) {
  const std::string& t = scalarText(value, 2, op);
  if (t == "true") return true;
  if (t == "false") return false;
  raise(op, err::kWrongValue + 2);
}

void setLowError(SystemSettings& s, const Value& value) {
  const char* op = "set_system";
  if (value.size() == 2 && value.typeAt(0) == ElemType::Text && value.textAt(0) == "callback") {
    if (value.typeAt(1) != ElemType::Int) raise(op, err::kWrongType + 2);
    int64_t address = value.intAt(1);
    if (address == 0) raise(op, err::kWrongValue + 2);
    s.lowErrorMode = LowErrorMode::Callback;
    s.lowErrorAddress = address;
    s.lowErrorCallback = reinterpret_cast<LowErrorCallback>(static_cast<intptr_t>(address));
    return;
  }
  s.lowErrorMode = textFlag(value, op) ? LowErrorMode::Print : LowErrorMode::Off;
  s.lowErrorCallback = nullptr;
}

}  // namespace

Value getSystem(const Value& name) {
  const char* op = "get_system";
  const std::string& query = scalarText(name, 1, op);
  SystemSettings& s = settings();
  std::lock_guard<std::mutex> guard(s.lock);
  if (query == "version") return Value::ofText("13.0.1");
  if (query == "width") return Value::ofInt(s.width);
  if (query == "height") return Value::ofInt(s.height);
  if (query == "use_window_thread") return Value::ofText(s.useWindowThread ? "true" : "false");
  if (query == "do_low_error") {
    if (s.lowErrorMode == LowErrorMode::Callback) {
      Value v = Value::ofText("callback");
      v.append(Element(s.lowErrorAddress));
      return v;
    }
    return Value::ofText(s.lowErrorMode == LowErrorMode::Print ? "true" : "false");
  }
  if (query == "user_threads") return Value::ofInt(runningUserThreads());
  if (query == "finalize_calls") return Value::ofInt(finalizeCalls());
  raise(op, err::kWrongValue + 1, "Unknown system parameter: '" + query + "'");
}

void setSystem(const Value& name, const Value& value) {
  const char* op = "set_system";
  const std::string& param = scalarText(name, 1, op);
  if (param == "hold_user_thread") {
    // Lets tests keep FinalizeHALCONLibrary busy: one user thread for the given time.
    holdUserThreadFor(scalarNumber(value, 2, op));
    return;
  }
  if (param == "time_scale") {
    setTimeScale(scalarNumber(value, 2, op));
    return;
  }
  if (param == "inject_fault") {
    armFault(scalarText(value, 2, op));
    return;
  }
  SystemSettings& s = settings();
  std::lock_guard<std::mutex> guard(s.lock);
  if (param == "width" || param == "height") {
    int64_t n = scalarInt(value, 2, op);
    if (n < 1 || n > 32768) raise(op, err::kWrongValue + 2);
    (param == "width" ? s.width : s.height) = n;
  } else if (param == "use_window_thread") {
    s.useWindowThread = textFlag(value, op);
  } else if (param == "do_low_error") {
    setLowError(s, value);
  } else {
    raise(op, err::kWrongValue + 1, "Unknown system parameter: '" + param + "'");
  }
}

void noteOperatorError(const char* op, int code, const std::string& message) {
  (void)message;
  if (tlsExtendedPending && tlsExtended.code == code && tlsExtended.op == op) {
    tlsExtendedPending = false;
    return;
  }
  tlsExtendedPending = false;
  tlsExtended = ExtendedInfo{};
}

void noteExtendedInfo(const char* op, int code, const std::string& details) {
  tlsExtended = ExtendedInfo{op, code, details};
  tlsExtendedPending = true;
}

ExtendedInfo extendedInfo() {
  return tlsExtended;
}

void reportLowLevelError(const std::string& text) {
  SystemSettings& s = settings();
  LowErrorMode mode;
  LowErrorCallback callback;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    mode = s.lowErrorMode;
    callback = s.lowErrorCallback;
  }
  // Called outside the lock: the callback may itself use the library.
  if (mode == LowErrorMode::Callback && callback) callback(text.c_str());
  if (mode == LowErrorMode::Print)
    std::fprintf(stderr, "HALCON low-level error: %s\n", text.c_str());
}

}  // namespace standin
