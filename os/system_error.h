// How the OS layer reports a failure: always as an OsFailure, in the system's own words. What
// the user reads is composed by the caller, which knows what was being attempted.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace Velotrax::os {

// Why an OS call failed: the system's message, and for the verbose trace the call that failed
// with its error number.
struct OsFailure {
  std::string step;  // the failing call; empty where the platform traces none
  long code = 0;     // its error number
  std::string text;  // the system's message
};

// What a fallible call gives: its value, or why it failed. A call that has no value to give
// returns std::optional<OsFailure> instead, empty when it succeeded.
template <class T>
class [[nodiscard]] OsResult {
 public:
  OsResult(T value) : outcome_(std::in_place_index<0>, std::move(value)) {}
  OsResult(OsFailure failure) : outcome_(std::in_place_index<1>, std::move(failure)) {}

  explicit operator bool() const { return outcome_.index() == 0; }
  // The value; only when there is one.
  T& operator*() & { return std::get<0>(outcome_); }
  const T& operator*() const& { return std::get<0>(outcome_); }
  T&& operator*() && { return std::get<0>(std::move(outcome_)); }
  T* operator->() { return &std::get<0>(outcome_); }
  const T* operator->() const { return &std::get<0>(outcome_); }
  // Why not; only when there is no value.
  const OsFailure& failure() const { return std::get<1>(outcome_); }

 private:
  std::variant<T, OsFailure> outcome_;
};

// The system's message for an error number (Windows: FormatMessageA, taken unchanged; POSIX:
// strerror). Empty for 0.
std::string errorText(long code);

// The message for the calling thread's last error (GetLastError, errno). Empty when it is 0.
std::string lastErrorText();

// The calling thread's last error number (GetLastError, errno).
long lastErrorCode();

// The calling thread's last error as the failure of `step`.
OsFailure lastFailure(std::string step);

}  // namespace Velotrax::os
