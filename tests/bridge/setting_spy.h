// Records every display setting the window operators hand to the vision library (SetDraw,
// SetShape, SetLut, SetPaint, SetLineWidth, SetColored, SetColor), in order, and passes each on.
// This program defines those functions itself; the library's own run behind them.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct SettingCall {
  std::string setter;  // "SetColor", ...
  std::int64_t window;
  std::string value;  // the value's text form

  bool operator==(const SettingCall& other) const {
    return setter == other.setter && window == other.window && value == other.value;
  }
};

inline std::ostream& operator<<(std::ostream& out, const SettingCall& call) {
  return out << call.setter << "(" << call.window << ", " << call.value << ")";
}

// The calls since the last clear.
std::vector<SettingCall> settingCalls();
void clearSettingCalls();
