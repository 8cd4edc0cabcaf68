// The library's open windows: each one's settings, picture and screen window, known by
// integer handles.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framebuffer.h"
#include "native_window.h"
#include "render.h"
#include "value.h"

namespace standin::window {

// Largest window side: an 8K screen, which bounds a window's memory.
constexpr int64_t kMaxWindowSide = 8192;

struct WindowState {
  WindowState(int width, int height) : fb(width, height) {}

  int64_t row = 0, column = 0;
  double part[4] = {0, 0, 0, 0};  // row1, column1, row2, column2
  Rgba background{0, 0, 0, 255};
  std::vector<Rgba> colors{Rgba{255, 255, 255, 255}};  // regions take them in turn
  size_t nextColor = 0;
  bool margin = false;       // set_draw 'margin'
  bool boundingBox = false;  // set_shape 'rectangle1'
  bool inverse = false;      // set_lut 'inverse'
  int lineWidth = 1;
  Framebuffer fb;
  std::unique_ptr<NativeWindow> native;  // null: headless

  // How the window shows image coordinates.
  View view() const { return View{fb.width(), fb.height(), part[0], part[1], part[2], part[3]}; }
  // Sends what changed in fb to the screen window.
  void refresh();
  // The colour the next region is shown in.
  Rgba takeColor();
};

// Adds an open window; returns its handle.
int64_t addWindow(WindowState window);
// Runs fn(WindowState&) under the windows' lock; the handle is control parameter `param`.
void withWindow(const Value& handle, int param, const char* op,
                const std::function<void(WindowState&)>& fn);
// Forgets the window, closing its screen window.
void removeWindow(const Value& handle, const char* op);

// A one-element text parameter naming a known colour.
Rgba colorParam(const Value& v, int param, const char* op);

}  // namespace standin::window
