// Where a native window is on the screen, as the system sees it: the X server (asked with the
// x11-utils tools) or the window's own Win32 rectangle and styles.
#pragma once

#include <cstdint>

struct ScreenPlacement {
  std::int64_t x = -1, y = -1, width = 0, height = 0;
  bool frameless = false;  // no caption, sizing frame or edges (X11: decorations off)
};

// The placement of the window with this native handle (X window id or HWND).
ScreenPlacement placementOf(std::int64_t nativeWindow);
// The size of the screen the window is shown on.
void screenSize(std::int64_t nativeWindow, std::int64_t& width, std::int64_t& height);
