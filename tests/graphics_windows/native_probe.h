// What the window system shows and holds for the library's windows, for tests: a screen
// capture of a window, the window-system resources in use, and the process's memory.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "picture.h"

// The drawing area of a native window as the screen shows it; empty when it cannot be read.
Picture captureWindow(int64_t nativeHandle, int width, int height);

// Position and size of a native window's drawing area on the screen: x, y, width, height.
std::array<int64_t, 4> nativeGeometry(int64_t nativeHandle);

struct NativeResources {
  int64_t total = 0;   // resources counted
  std::string detail;  // what was counted, for the report
};

// The window-system resources the library holds: on X11 every resource of the library's
// connection (known by one of its window ids), on Windows this process's windows and GDI and
// USER objects.
NativeResources nativeResources(int64_t libraryWindow);

// The process's resident memory in bytes.
int64_t residentBytes();
