// Win32: the frame comes off through the window styles, the monitor from MonitorFromWindow.
#include <windows.h>

#include <stdexcept>

#include "fullscreen.h"

namespace brimlet {

namespace {

constexpr LONG kFrameStyles = WS_CAPTION | WS_THICKFRAME;
constexpr LONG kFrameExStyles =
    WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE;
constexpr UINT kPlaceFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
static_assert(kFrameStyles == 0xC40000 && kFrameExStyles == 0x20301 && kPlaceFlags == 0x34);

// The window belongs to the vision library; this only addresses it.
class Win32Window final : public NativeWindow {
 public:
  explicit Win32Window(HWND window) : window_(window) {}

  void removeFrame() override {
    const LONG style = GetWindowLongW(window_, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(window_, GWL_EXSTYLE);
    SetWindowLongW(window_, GWL_STYLE, style & ~kFrameStyles);
    SetWindowLongW(window_, GWL_EXSTYLE, exStyle & ~kFrameExStyles);
  }

  MonitorRect nearestMonitor() override {
    HMONITOR monitor = MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info)) throw std::runtime_error("GetMonitorInfoA failed");
    const RECT& r = info.rcMonitor;
    return {r.left, r.top, r.right, r.bottom};
  }

  void cover(const MonitorRect& area) override {
    if (!SetWindowPos(window_, nullptr, static_cast<int>(area.left), static_cast<int>(area.top),
                      static_cast<int>(area.right - area.left),
                      static_cast<int>(area.bottom - area.top), kPlaceFlags))
      throw std::runtime_error("SetWindowPos failed");
  }

 private:
  HWND window_;
};

}  // namespace

std::unique_ptr<NativeWindow> NativeWindow::attach(std::int64_t handle) {
  return std::make_unique<Win32Window>(reinterpret_cast<HWND>(static_cast<INT_PTR>(handle)));
}

}  // namespace brimlet
