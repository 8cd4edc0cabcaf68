// A window on the screen that shows a framebuffer. Each platform file defines the factory:
// X11 on Linux, Win32 on Windows.
#pragma once

#include <cstdint>
#include <memory>

#include "framebuffer.h"

namespace standin::window {

class NativeWindow {
 public:
  virtual ~NativeWindow() = default;
  // The OS handle as an integer: the X window id or the HWND.
  virtual int64_t handle() const = 0;
  // The connection the window belongs to (the X Display*); 0 where there is none.
  virtual int64_t displayHandle() const = 0;
  // Brings the given area of the screen window up to date with fb, which has its size.
  virtual void show(const Framebuffer& fb, Rect area) = 0;
  // Moves the drawing area to (row, column) and gives it fb's size and contents.
  virtual void setExtents(int64_t row, int64_t column, const Framebuffer& fb) = 0;
};

// Opens a visible screen window at (row, column) showing fb; null without a screen, so that
// the caller's window goes on headless. Safe to call from any thread.
std::unique_ptr<NativeWindow> openNativeWindow(int64_t row, int64_t column, const Framebuffer& fb);

}  // namespace standin::window
