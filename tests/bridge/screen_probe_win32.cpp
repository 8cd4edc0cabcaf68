#include <windows.h>

#include "screen_probe.h"

namespace {

HWND windowOf(std::int64_t nativeWindow) {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(nativeWindow));
}

}  // namespace

ScreenPlacement placementOf(std::int64_t nativeWindow) {
  HWND window = windowOf(nativeWindow);
  ScreenPlacement placement;
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return placement;
  placement.x = rect.left;
  placement.y = rect.top;
  placement.width = rect.right - rect.left;
  placement.height = rect.bottom - rect.top;
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  placement.frameless =
      (style & (WS_CAPTION | WS_THICKFRAME)) == 0 &&
      (exStyle & (WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) ==
          0;
  return placement;
}

void screenSize(std::int64_t nativeWindow, std::int64_t& width, std::int64_t& height) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromWindow(windowOf(nativeWindow), MONITOR_DEFAULTTONEAREST), &info);
  width = info.rcMonitor.right - info.rcMonitor.left;
  height = info.rcMonitor.bottom - info.rcMonitor.top;
}
