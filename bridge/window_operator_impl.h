// The window operators a script executes, as the engine hands them to the bridge: a stack of
// the windows the script opened (the last one active) and the display settings every new
// window starts with.
#pragma once

#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "HDevEngineCpp.h"
#include "HalconCpp.h"

namespace brimlet {

using HalconCpp::HTuple;

// One open window and the image part this implementation last set or read for it.
struct WindowEntry {
  HTuple window;
  std::array<HTuple, 4> storedPart;  // row1, column1, row2, column2
};

// The display settings a new window receives, as last set while a window was open.
struct DisplaySettings {
  HTuple colour{12};  // an integer: SetColored; a text: SetColor
  HTuple draw{"fill"};
  HTuple shape{"original"};
  HTuple lut{"default"};
  HTuple paint{"default"};
  HTuple lineWidth{1};
};

// Every operation returns H_MSG_TRUE for success or the vision library's error code. Safe to call
// from several threads at once; the window lock and the settings lock are never held together.
class HDevOperatorImplCppNative : public HDevEngineCpp::HDevOperatorImplCpp {
 public:
  // Releases the stack; closes no window.
  ~HDevOperatorImplCppNative() override;

  int OnClearWindow() override;
  int OnCloseWindow() override;
  int OnSetActiveWindow(const HTuple& windowHandle) override;
  int OnGetActiveWindow(HTuple* windowHandle) override;
  int OnDisplayObject(const HalconCpp::HObject& object) override;
  int OnDisplayText(const HTuple& string, const HTuple& coordSystem, const HTuple& row,
                    const HTuple& column, const HTuple& color, const HTuple& genParamName,
                    const HTuple& genParamValue) override;
  int OnSetWindowExtents(const HTuple& row, const HTuple& column, const HTuple& width,
                         const HTuple& height) override;
  int OnSetDraw(const HTuple& draw) override;
  int OnSetShape(const HTuple& shape) override;
  int OnSetColored(const HTuple& colored) override;
  int OnSetColor(const HTuple& color) override;
  int OnSetLut(const HTuple& lut) override;
  int OnSetPaint(const HTuple& paint) override;
  int OnSetPart(const HTuple& row1, const HTuple& column1, const HTuple& row2,
                const HTuple& column2) override;
  int OnSetLineWidth(const HTuple& width) override;
  int OnOpenWindow(const HTuple& row, const HTuple& column, const HTuple& width,
                   const HTuple& height, const HTuple& background, HTuple* windowHandle) override;

  // Writes every open window's picture to "<directory>/<baseName>-<place>.png" and returns how
  // many. Places count from 1 at the bottom of the stack: the order of opening, unless a window
  // was activated since. A vision-library failure propagates as HException; the windows above
  // the failing one are then not written.
  int32_t dumpWindows(const std::string& directory, const std::string& baseName);

 private:
  using WindowSetter = void (*)(const HTuple& window, const HTuple& value);

  // The common steps of the setting operations; allowedTypes 0 skips the parameter check.
  int applySetting(const HTuple& value, int allowedTypes, WindowSetter setter,
                   HTuple DisplaySettings::*field);
  // Gives a new window the remembered settings; takes the settings lock.
  void replaySettings(const HTuple& window);
  // Resets the active window's part to the first image in object when the part does not fit
  // it; the window lock is held.
  void adaptPart(const HalconCpp::HObject& object);

  std::vector<WindowEntry> windows_;  // the last entry is the active window
  std::mutex windowLock_;
  DisplaySettings settings_;
  std::mutex settingsLock_;
};

}  // namespace brimlet
