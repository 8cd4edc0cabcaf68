// The display settings of a window: colours, draw mode, region shape, look-up table, paint
// mode and line width. Each accepts what the stand-in can show and rejects other values.
#include "errors.h"
#include "tuple_arithmetic.h"
#include "window_operators.h"
#include "window_state.h"

namespace standin::window {
namespace {

using err::kWrongCount;
using err::kWrongType;
using err::kWrongValue;

// Largest line width; wider margins than this are not drawn.
constexpr int64_t kMaxLineWidth = 2000;

// The one-element text parameter 2, which must be one of the allowed values.
const std::string& choice(const Value& v, std::initializer_list<const char*> allowed,
                          const char* op) {
  const std::string& text = scalarText(v, 2, op);
  for (const char* a : allowed)
    if (text == a) return text;
  raise(op, kWrongValue + 2);
}

}  // namespace

void setColor(const Value& window, const Value& color) {
  const char* op = "set_color";
  if (color.empty()) raise(op, kWrongCount + 2);
  std::vector<Rgba> colors;
  for (size_t i = 0; i < color.size(); ++i) {
    if (color.typeAt(i) != ElemType::Text) raise(op, kWrongType + 2);
    const auto parsed = parseColor(color.textAt(i));
    if (!parsed) raise(op, kWrongValue + 2);
    colors.push_back(*parsed);
  }
  withWindow(window, 1, op, [&](WindowState& win) {
    win.colors = colors;
    win.nextColor = 0;
  });
}

void setColored(const Value& window, const Value& numberOfColors) {
  const char* op = "set_colored";
  const auto cycle = coloredCycle(scalarInt(numberOfColors, 2, op));
  if (cycle.empty()) raise(op, kWrongValue + 2);
  std::vector<Rgba> colors;
  for (const char* name : cycle) colors.push_back(*parseColor(name));
  withWindow(window, 1, op, [&](WindowState& win) {
    win.colors = colors;
    win.nextColor = 0;
  });
}

void setDraw(const Value& window, const Value& mode) {
  const bool margin = choice(mode, {"fill", "margin"}, "set_draw") == "margin";
  withWindow(window, 1, "set_draw", [&](WindowState& win) { win.margin = margin; });
}

void setShape(const Value& window, const Value& shape) {
  const bool box = choice(shape, {"original", "rectangle1"}, "set_shape") == "rectangle1";
  withWindow(window, 1, "set_shape", [&](WindowState& win) { win.boundingBox = box; });
}

void setLut(const Value& window, const Value& lookUpTable) {
  const bool inverse =
      choice(lookUpTable, {"default", "linear", "inverse"}, "set_lut") == "inverse";
  withWindow(window, 1, "set_lut", [&](WindowState& win) { win.inverse = inverse; });
}

void setPaint(const Value& window, const Value& mode) {
  // The mode may carry parameters after its name; only 'default' (without any) is shown.
  const char* op = "set_paint";
  if (mode.empty()) raise(op, kWrongCount + 2);
  if (mode.typeAt(0) != ElemType::Text) raise(op, kWrongType + 2);
  if (mode.size() != 1 || mode.textAt(0) != "default") raise(op, kWrongValue + 2);
  withWindow(window, 1, op, [](WindowState&) {});
}

void setLineWidth(const Value& window, const Value& width) {
  const char* op = "set_line_width";
  const int64_t w = scalarInt(width, 2, op);
  if (w < 1 || w > kMaxLineWidth) raise(op, kWrongValue + 2);
  withWindow(window, 1, op, [&](WindowState& win) { win.lineWidth = static_cast<int>(w); });
}

}  // namespace standin::window
