// Window operators of the stand-in: windows are kept in memory (no display),
// with their extents, image part and display settings, so hosts can drive
// them exactly as they would real windows.
#include "access.h"
#include "errors.h"
#include "fault_injection.h"
#include "handle_table.h"
#include "tuple_ops.h"

namespace HalconCpp {
namespace {

using standin::Value;
using standin::err::kWrongValue;

struct Window {
  int64_t row, column, width, height;
  double part[4];
  Value settings[7];  // background, color, colored, draw, shape, lut, paint
  int64_t lineWidth = 1;
  int64_t displayed = 0;  // number of objects and texts shown
};

standin::HandleTable<Window>& table() {
  static standin::HandleTable<Window> windows(3600, standin::err::kUnknownWindow);
  return windows;
}

int64_t intArg(const HTuple& t, int param, const char* op) {
  return standin::scalarInt(HTupleAccess::value(t), param, op);
}

// Runs fn on the window of the handle in parameter param, under the table lock.
template <typename Fn>
void withWindow(const HTuple& handle, const char* op, Fn fn, int param = 1) {
  table().with(intArg(handle, param, op), op, fn);
}

void setSetting(const HTuple& w, const HTuple& v, int slot, const char* op) {
  if (HTupleAccess::value(v).empty()) standin::raise(op, standin::err::kWrongCount + 2);
  withWindow(w, op, [&](Window& win) { win.settings[slot] = HTupleAccess::value(v); });
}

}  // namespace

void OpenWindow(const HTuple& row, const HTuple& column, const HTuple& width, const HTuple& height,
                const HTuple& fatherWindow, const HTuple& mode, const HTuple& machine,
                HTuple* windowHandle) {
  const char* op = "open_window";
  standin::throwArmedLibraryFault(op);
  (void)fatherWindow;
  (void)machine;
  Window win{};
  win.row = intArg(row, 1, op);
  win.column = intArg(column, 2, op);
  win.width = intArg(width, 3, op);
  win.height = intArg(height, 4, op);
  if (win.width <= 0 || win.width > 32768) standin::raise(op, kWrongValue + 3);
  if (win.height <= 0 || win.height > 32768) standin::raise(op, kWrongValue + 4);
  const std::string& m = standin::scalarText(HTupleAccess::value(mode), 6, op);
  if (m != "visible" && m != "invisible" && m != "transparent" && m != "buffer")
    standin::raise(op, kWrongValue + 6);
  win.part[2] = static_cast<double>(win.height - 1);
  win.part[3] = static_cast<double>(win.width - 1);
  win.settings[0] = Value::ofText("black");
  const int64_t h = table().add(win);
  if (windowHandle) *windowHandle = HTuple(static_cast<long long>(h));
}

void CloseWindow(const HTuple& windowHandle) {
  table().remove(intArg(windowHandle, 1, "close_window"), "close_window", [](Window&) {});
}

void ClearWindow(const HTuple& windowHandle) {
  withWindow(windowHandle, "clear_window", [](Window& w) { w.displayed = 0; });
}

void SetWindowParam(const HTuple& windowHandle, const HTuple& paramName, const HTuple& paramValue) {
  const char* op = "set_window_param";
  const std::string& name = standin::scalarText(HTupleAccess::value(paramName), 2, op);
  if (name != "background_color") standin::raise(op, kWrongValue + 2);
  standin::scalarText(HTupleAccess::value(paramValue), 3, op);
  setSetting(windowHandle, paramValue, 0, op);
}

void GetPart(const HTuple& windowHandle, HTuple* row1, HTuple* column1, HTuple* row2,
             HTuple* column2) {
  withWindow(windowHandle, "get_part", [&](Window& w) {
    HTuple* outs[4] = {row1, column1, row2, column2};
    for (int i = 0; i < 4; ++i)
      if (outs[i]) *outs[i] = HTuple(static_cast<long long>(w.part[i]));
  });
}

void SetPart(const HTuple& windowHandle, const HTuple& row1, const HTuple& column1,
             const HTuple& row2, const HTuple& column2) {
  const char* op = "set_part";
  const HTuple* in[4] = {&row1, &column1, &row2, &column2};
  double v[4];
  for (int i = 0; i < 4; ++i) v[i] = standin::scalarNumber(HTupleAccess::value(*in[i]), i + 2, op);
  withWindow(windowHandle, op, [&](Window& w) {
    for (int i = 0; i < 4; ++i) w.part[i] = v[i];
  });
}

void GetWindowExtents(const HTuple& windowHandle, HTuple* row, HTuple* column, HTuple* width,
                      HTuple* height) {
  withWindow(windowHandle, "get_window_extents", [&](Window& w) {
    if (row) *row = HTuple(static_cast<long long>(w.row));
    if (column) *column = HTuple(static_cast<long long>(w.column));
    if (width) *width = HTuple(static_cast<long long>(w.width));
    if (height) *height = HTuple(static_cast<long long>(w.height));
  });
}

void SetWindowExtents(const HTuple& windowHandle, const HTuple& row, const HTuple& column,
                      const HTuple& width, const HTuple& height) {
  const char* op = "set_window_extents";
  int64_t r = intArg(row, 2, op), c = intArg(column, 3, op);
  int64_t w = intArg(width, 4, op), h = intArg(height, 5, op);
  if (w <= 0) standin::raise(op, kWrongValue + 4);
  if (h <= 0) standin::raise(op, kWrongValue + 5);
  withWindow(windowHandle, op, [&](Window& win) {
    win.row = r;
    win.column = c;
    win.width = w;
    win.height = h;
  });
}

void GetOsWindowHandle(const HTuple& windowHandle, HTuple* osWindowHandle,
                       HTuple* osDisplayHandle) {
  // In-memory windows have no native window: the handle is 0.
  withWindow(windowHandle, "get_os_window_handle", [&](Window&) {
    if (osWindowHandle) *osWindowHandle = HTuple(0);
    if (osDisplayHandle) *osDisplayHandle = HTuple(0);
  });
}

void DispText(const HTuple& windowHandle, const HTuple& string, const HTuple& coordSystem,
              const HTuple& row, const HTuple& column, const HTuple& color,
              const HTuple& genParamName, const HTuple& genParamValue) {
  const char* op = "disp_text";
  (void)string;
  const std::string& cs = standin::scalarText(HTupleAccess::value(coordSystem), 3, op);
  if (cs != "window" && cs != "image") standin::raise(op, kWrongValue + 3);
  if (HTupleAccess::value(row).empty()) standin::raise(op, standin::err::kWrongCount + 4);
  if (HTupleAccess::value(column).empty()) standin::raise(op, standin::err::kWrongCount + 5);
  (void)color;
  if (HTupleAccess::value(genParamName).size() != HTupleAccess::value(genParamValue).size())
    standin::raise(op, standin::err::kWrongCount + 8);
  withWindow(windowHandle, op, [](Window& w) { ++w.displayed; });
}

void SetColor(const HTuple& w, const HTuple& c) {
  standin::scalarText(HTupleAccess::value(c), 2, "set_color");
  setSetting(w, c, 1, "set_color");
}
void SetColored(const HTuple& w, const HTuple& n) {
  int64_t k = intArg(n, 2, "set_colored");
  if (k != 3 && k != 6 && k != 7 && k != 12) standin::raise("set_colored", kWrongValue + 2);
  setSetting(w, n, 2, "set_colored");
}
void SetDraw(const HTuple& w, const HTuple& m) {
  const std::string& s = standin::scalarText(HTupleAccess::value(m), 2, "set_draw");
  if (s != "fill" && s != "margin") standin::raise("set_draw", kWrongValue + 2);
  setSetting(w, m, 3, "set_draw");
}
void SetShape(const HTuple& w, const HTuple& s) {
  setSetting(w, s, 4, "set_shape");
}
void SetLut(const HTuple& w, const HTuple& l) {
  setSetting(w, l, 5, "set_lut");
}
void SetPaint(const HTuple& w, const HTuple& p) {
  setSetting(w, p, 6, "set_paint");
}

void SetLineWidth(const HTuple& windowHandle, const HTuple& width) {
  int64_t lw = intArg(width, 2, "set_line_width");
  if (lw < 1 || lw > 2000) standin::raise("set_line_width", kWrongValue + 2);
  withWindow(windowHandle, "set_line_width", [&](Window& w) { w.lineWidth = lw; });
}

void DispObj(const HObject& object, const HTuple& windowHandle) {
  if (!HObjectAccess::object(object).defined) standin::raise("disp_obj", kWrongValue + 1);
  const auto shown = static_cast<int64_t>(HObjectAccess::object(object).items.size());
  withWindow(
      windowHandle, "disp_obj", [&](Window& w) { w.displayed += shown; }, 2);
}

}  // namespace HalconCpp
