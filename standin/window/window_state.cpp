#include "window_state.h"

#include "errors.h"
#include "handle_table.h"
#include "tuple_arithmetic.h"

namespace standin::window {
namespace {

HandleTable<WindowState>& table() {
  // Never destroyed: screen windows are not closed from static destructors at exit, when
  // the window thread may already be gone.
  static auto* windows = new HandleTable<WindowState>(3600, err::kUnknownWindow);
  return *windows;
}

}  // namespace

void WindowState::refresh() {
  const Rect area = fb.takeChanged();
  if (native && !area.empty()) native->show(fb, area);
}

Rgba WindowState::takeColor() {
  const Rgba color = colors[nextColor % colors.size()];
  nextColor = (nextColor + 1) % colors.size();
  return color;
}

int64_t addWindow(WindowState window) {
  return table().add(std::move(window));
}

void withWindow(const Value& handle, int param, const char* op,
                const std::function<void(WindowState&)>& fn) {
  table().with(scalarInt(handle, param, op), op, fn);
}

void removeWindow(const Value& handle, const char* op) {
  table().remove(scalarInt(handle, 1, op), op, [](WindowState&) {});
}

Rgba colorParam(const Value& v, int param, const char* op) {
  const auto color = parseColor(scalarText(v, param, op));
  if (!color) raise(op, err::kWrongValue + param);
  return *color;
}

}  // namespace standin::window
