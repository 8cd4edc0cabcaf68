// The setting operations and the settings every new window receives.
#include "parameter_check.h"
#include "window_operator_impl.h"

namespace brimlet {

int HDevOperatorImplCppNative::applySetting(const HTuple& value, int allowedTypes,
                                            WindowSetter setter, HTuple DisplaySettings::*field) {
  if (allowedTypes != 0)
    if (const int status = checkParameter(value, 1, allowedTypes); status != H_MSG_TRUE)
      return status;
  {
    std::lock_guard<std::mutex> lock(windowLock_);
    // Without a window nothing is applied, and so nothing is remembered.
    if (windows_.empty()) return H_MSG_TRUE;
    try {
      setter(windows_.back().window, value);
    } catch (const HalconCpp::HException& e) {
      return e.ErrorCode();
    }
  }
  std::lock_guard<std::mutex> lock(settingsLock_);
  settings_.*field = value;
  return H_MSG_TRUE;
}

int HDevOperatorImplCppNative::OnSetDraw(const HTuple& draw) {
  return applySetting(draw, kText, &HalconCpp::SetDraw, &DisplaySettings::draw);
}

int HDevOperatorImplCppNative::OnSetShape(const HTuple& shape) {
  return applySetting(shape, kText, &HalconCpp::SetShape, &DisplaySettings::shape);
}

int HDevOperatorImplCppNative::OnSetColored(const HTuple& colored) {
  return applySetting(colored, kInteger, &HalconCpp::SetColored, &DisplaySettings::colour);
}

int HDevOperatorImplCppNative::OnSetColor(const HTuple& color) {
  return applySetting(color, kText, &HalconCpp::SetColor, &DisplaySettings::colour);
}

int HDevOperatorImplCppNative::OnSetLut(const HTuple& lut) {
  return applySetting(lut, kText, &HalconCpp::SetLut, &DisplaySettings::lut);
}

int HDevOperatorImplCppNative::OnSetPaint(const HTuple& paint) {
  // Paint modes take any number of values: no check.
  return applySetting(paint, 0, &HalconCpp::SetPaint, &DisplaySettings::paint);
}

int HDevOperatorImplCppNative::OnSetLineWidth(const HTuple& width) {
  return applySetting(width, kInteger, &HalconCpp::SetLineWidth, &DisplaySettings::lineWidth);
}

void HDevOperatorImplCppNative::replaySettings(const HTuple& window) {
  std::lock_guard<std::mutex> lock(settingsLock_);
  // A setting the new window refuses is skipped; the others still apply.
  const auto apply = [&](WindowSetter setter, const HTuple& value) {
    try {
      setter(window, value);
    } catch (const HalconCpp::HException&) {
    }
  };
  apply(&HalconCpp::SetDraw, settings_.draw);
  apply(&HalconCpp::SetShape, settings_.shape);
  apply(&HalconCpp::SetLut, settings_.lut);
  apply(&HalconCpp::SetPaint, settings_.paint);
  apply(&HalconCpp::SetLineWidth, settings_.lineWidth);
  // The colour field holds whichever of SetColored and SetColor came last.
  const HTuple& colour = settings_.colour;
  if (colour.Length() == 1 && colour[0].Type() == kInteger)
    apply(&HalconCpp::SetColored, colour);
  else if (colour.Length() == 1 && colour[0].Type() == kText)
    apply(&HalconCpp::SetColor, colour);
}

}  // namespace brimlet
