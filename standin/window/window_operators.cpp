// The library's window operators: opening, closing, placing and drawing into windows, and
// dumping their pictures. The C++ interface calls them all; scripts call dump_window through the
// operator table at the end (the other window operators reach scripts as dev_ operators, which
// the engine routes to the host).
#include "window_operators.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "errors.h"
#include "operators.h"
#include "os/file_io.h"
#include "png_codec.h"
#include "render.h"
#include "system_state.h"
#include "tuple_arithmetic.h"
#include "window_state.h"

namespace standin::window {
namespace {

using err::kWrongValue;

int sideParam(const Value& v, int param, const char* op) {
  const int64_t side = scalarInt(v, param, op);
  if (side < 1 || side > kMaxWindowSide) raise(op, kWrongValue + param);
  return static_cast<int>(side);
}

// A part coordinate as the library hands it out: an integer when it is one.
Value coordinateValue(double v) {
  if (v == std::floor(v) && std::fabs(v) < 9.0e15) return Value::ofInt(static_cast<int64_t>(v));
  return Value::ofReal(v);
}

// The runs of the region's bounding box (set_shape 'rectangle1').
std::vector<RegionRun> boundingBox(const std::vector<RegionRun>& runs) {
  if (runs.empty()) return {};
  int32_t left = runs[0].colBegin, right = runs[0].colEnd;
  for (const auto& run : runs) {
    left = std::min(left, run.colBegin);
    right = std::max(right, run.colEnd);
  }
  std::vector<RegionRun> box;
  for (int32_t r = runs.front().row; r <= runs.back().row; ++r) box.push_back({r, left, right});
  return box;
}

}  // namespace

int64_t openWindow(const Value& row, const Value& column, const Value& width, const Value& height,
                   const Value& fatherWindow, const Value& mode, const Value& machine) {
  const char* op = "open_window";
  (void)fatherWindow;  // windows are always top-level
  (void)machine;       // and on this machine's screen
  const int64_t r = scalarInt(row, 1, op), c = scalarInt(column, 2, op);
  WindowState win(sideParam(width, 3, op), sideParam(height, 4, op));
  const std::string& m = scalarText(mode, 6, op);
  if (m != "visible" && m != "invisible" && m != "transparent" && m != "buffer")
    raise(op, kWrongValue + 6);
  win.row = r;
  win.column = c;
  win.part[2] = win.fb.height() - 1;
  win.part[3] = win.fb.width() - 1;
  win.fb.fill(win.background);
  win.fb.takeChanged();
  // 'invisible' and 'buffer' windows only draw into their picture.
  if (m == "visible" || m == "transparent") win.native = openNativeWindow(r, c, win.fb);
  return addWindow(std::move(win));
}

void closeWindow(const Value& window) {
  removeWindow(window, "close_window");
}

void clearWindow(const Value& window) {
  withWindow(window, 1, "clear_window", [](WindowState& win) {
    win.fb.fill(win.background);
    win.refresh();
  });
}

void setWindowParam(const Value& window, const Value& name, const Value& value) {
  const char* op = "set_window_param";
  if (scalarText(name, 2, op) != "background_color") raise(op, kWrongValue + 2);
  const Rgba background = colorParam(value, 3, op);
  withWindow(window, 1, op, [&](WindowState& win) { win.background = background; });
}

std::array<Value, 4> getPart(const Value& window) {
  std::array<Value, 4> part;
  withWindow(window, 1, "get_part", [&](WindowState& win) {
    for (int i = 0; i < 4; ++i) part[i] = coordinateValue(win.part[i]);
  });
  return part;
}

void setPart(const Value& window, const Value& row1, const Value& column1, const Value& row2,
             const Value& column2) {
  const char* op = "set_part";
  const Value* in[4] = {&row1, &column1, &row2, &column2};
  double v[4];
  for (int i = 0; i < 4; ++i) {
    v[i] = scalarNumber(*in[i], i + 2, op);
    if (!std::isfinite(v[i]) || std::fabs(v[i]) > 1e9) raise(op, kWrongValue + i + 2);
  }
  if (v[2] < v[0]) raise(op, kWrongValue + 4);
  if (v[3] < v[1]) raise(op, kWrongValue + 5);
  withWindow(window, 1, op, [&](WindowState& win) { std::copy(v, v + 4, win.part); });
}

std::array<Value, 4> getWindowExtents(const Value& window) {
  std::array<Value, 4> extents;
  withWindow(window, 1, "get_window_extents", [&](WindowState& win) {
    extents = {Value::ofInt(win.row), Value::ofInt(win.column), Value::ofInt(win.fb.width()),
               Value::ofInt(win.fb.height())};
  });
  return extents;
}

void setWindowExtents(const Value& window, const Value& row, const Value& column,
                      const Value& width, const Value& height) {
  const char* op = "set_window_extents";
  const int64_t r = scalarInt(row, 2, op), c = scalarInt(column, 3, op);
  const int w = sideParam(width, 4, op), h = sideParam(height, 5, op);
  withWindow(window, 1, op, [&](WindowState& win) {
    win.row = r;
    win.column = c;
    if (w != win.fb.width() || h != win.fb.height()) {
      win.fb = Framebuffer(w, h);
      win.fb.fill(win.background);
    }
    win.fb.takeChanged();
    if (win.native) win.native->setExtents(r, c, win.fb);
  });
}

std::array<Value, 2> getOsWindowHandle(const Value& window) {
  std::array<Value, 2> handles{Value::ofInt(0), Value::ofInt(0)};
  withWindow(window, 1, "get_os_window_handle", [&](WindowState& win) {
    if (!win.native) return;
    handles = {Value::ofInt(win.native->handle()), Value::ofInt(win.native->displayHandle())};
  });
  return handles;
}

void dispObj(const Object& object, const Value& window) {
  const char* op = "disp_obj";
  if (!object.defined) raise(op, kWrongValue + 1);
  withWindow(window, 1, op, [&](WindowState& win) {
    const View view = win.view();
    for (const auto& item : object.items) {
      if (item.objClass == "image") {
        drawImage(win.fb, view, item, win.inverse, win.background);
      } else if (item.runs) {
        std::vector<RegionRun> box;
        std::span<const RegionRun> runs = *item.runs;
        if (win.boundingBox) runs = box = boundingBox(*item.runs);
        drawRegion(win.fb, view, runs, win.takeColor(), win.margin, win.lineWidth);
      }
    }
    win.refresh();
  });
}

void dumpWindow(const Value& window, const Value& device, const Value& fileName) {
  const char* op = "dump_window";
  if (scalarText(device, 2, op) != "png") raise(op, kWrongValue + 2);
  std::string path = scalarText(fileName, 3, op);
  if (path.size() < 4 || path.compare(path.size() - 4, 4, ".png") != 0) path += ".png";
  std::vector<uint8_t> rgb;
  int width = 0, height = 0;
  withWindow(window, 1, op, [&](WindowState& win) {
    width = win.fb.width();
    height = win.fb.height();
    rgb.assign(win.fb.row(0), win.fb.row(0) + static_cast<size_t>(width) * height * 3);
  });
  // The file is written outside the windows' lock, and replaces an old picture only once it is
  // complete.
  std::string error;
  std::vector<uint8_t> png;
  if (encodePngRgb(width, height, rgb.data(), png, error)) {
    const std::optional<Velotrax::os::OsFailure> failure = Velotrax::os::replaceFile(
        path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
    if (!failure) return;
    error = failure->text;
  }
  noteExtendedInfo(op, err::kFileOpen, "'" + path + "': " + error);
  raise(op, err::kFileOpen);
}

}  // namespace standin::window

namespace standin {
namespace {

void dumpWindowOperator(OpCall& c) {
  window::dumpWindow(c.ctrlIn[0], c.ctrlIn[1], c.ctrlIn[2]);
}

const OperatorDef kTable[] = {
    {"dump_window", 0, 0, 3, 0, dumpWindowOperator},
};

}  // namespace

std::span<const OperatorDef> windowOperators() {
  return kTable;
}

}  // namespace standin
