// Making a new window fill its monitor (hsetFullscreen).
#pragma once

#include <cstdint>
#include <memory>

#include "HalconCpp.h"

namespace brimlet {

// Removes the window's frame and makes it cover the monitor nearest to it. Never fails: a
// failure is reported on error output and the window stays as it is.
void changeWindowFullscreen(const HalconCpp::HTuple& window) noexcept;

// A monitor's whole area in screen pixels; right and bottom lie just outside it.
struct MonitorRect {
  std::int64_t left, top, right, bottom;
};

// The operating system's side of a native window; one implementation per platform. Every
// operation throws on failure.
class NativeWindow {
 public:
  // The native window behind a handle the vision library reported (never 0).
  static std::unique_ptr<NativeWindow> attach(std::int64_t handle);
  virtual ~NativeWindow() = default;
  // Drops the caption and the sizing frame, so that the client area is the whole window.
  virtual void removeFrame() = 0;
  // The whole area (not the work area) of the monitor nearest to the window.
  virtual MonitorRect nearestMonitor() = 0;
  // Moves and sizes the window to cover the rectangle.
  virtual void cover(const MonitorRect& area) = 0;
};

}  // namespace brimlet
