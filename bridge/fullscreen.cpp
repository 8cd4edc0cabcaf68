#include "fullscreen.h"

#include <stdexcept>

#include "bridge_state.h"

namespace brimlet {

namespace {

// The one failure whose text reaches the user; every other one is reported as unknown.
struct FullscreenFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace

void changeWindowFullscreen(const HalconCpp::HTuple& window) noexcept {
  try {
    HalconCpp::HTuple osWindow, osDisplay;
    HalconCpp::GetOsWindowHandle(window, &osWindow, &osDisplay);
    const std::int64_t handle = osWindow[0].L();
    if (handle == 0)
      throw FullscreenFailure("fullscreen: got invalid window handle from GetOsWindowHandle");
    const std::unique_ptr<NativeWindow> native = NativeWindow::attach(handle);
    native->removeFrame();
    const MonitorRect area = native->nearestMonitor();
    HalconCpp::SetWindowExtents(window, HalconCpp::HTuple(area.top), HalconCpp::HTuple(area.left),
                                HalconCpp::HTuple(area.right - area.left),
                                HalconCpp::HTuple(area.bottom - area.top));
    native->cover(area);
  } catch (const FullscreenFailure& e) {
    sendError(e.what());
  } catch (...) {
    sendError("unknown error in changeWindowFullscreen");
  }
}

}  // namespace brimlet
