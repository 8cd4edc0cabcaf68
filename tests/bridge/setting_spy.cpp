#include "setting_spy.h"

#include <cstdlib>
#include <mutex>

#include "HalconCpp.h"
#include "library_symbol.h"

namespace {

using Setter = void (*)(const HalconCpp::HTuple&, const HalconCpp::HTuple&);

std::mutex gLock;
std::vector<SettingCall> gCalls;

void record(const char* setter, const char* libraryName, const HalconCpp::HTuple& window,
            const HalconCpp::HTuple& value) {
  {
    std::lock_guard<std::mutex> guard(gLock);
    gCalls.push_back({setter, window.Length() == 1 ? window[0].L() : -1, value.ToString().Text()});
  }
  static_assert(sizeof(void*) == sizeof(Setter));
  const auto library = reinterpret_cast<Setter>(librarySymbol(libraryName));
  if (!library) std::abort();
  library(window, value);
}

}  // namespace

std::vector<SettingCall> settingCalls() {
  std::lock_guard<std::mutex> guard(gLock);
  return gCalls;
}

void clearSettingCalls() {
  std::lock_guard<std::mutex> guard(gLock);
  gCalls.clear();
}

// The library's names are the mangled ones of its C++ interface.
#define SETTING_SPY(name, mangled)                                  \
  void HalconCpp::name(const HTuple& window, const HTuple& value) { \
    record(#name, mangled, window, value);                          \
  }
SETTING_SPY(SetDraw, "_ZN9HalconCpp7SetDrawERKNS_6HTupleES2_")
SETTING_SPY(SetShape, "_ZN9HalconCpp8SetShapeERKNS_6HTupleES2_")
SETTING_SPY(SetLut, "_ZN9HalconCpp6SetLutERKNS_6HTupleES2_")
SETTING_SPY(SetPaint, "_ZN9HalconCpp8SetPaintERKNS_6HTupleES2_")
SETTING_SPY(SetLineWidth, "_ZN9HalconCpp12SetLineWidthERKNS_6HTupleES2_")
SETTING_SPY(SetColored, "_ZN9HalconCpp10SetColoredERKNS_6HTupleES2_")
SETTING_SPY(SetColor, "_ZN9HalconCpp8SetColorERKNS_6HTupleES2_")
#undef SETTING_SPY
