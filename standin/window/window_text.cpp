// disp_text: lines of text in the window's built-in font, boxed by default.
#include <cmath>

#include "errors.h"
#include "font.h"
#include "render.h"
#include "tuple_arithmetic.h"
#include "window_operators.h"
#include "window_state.h"

namespace standin::window {
namespace {

using err::kWrongCount;
using err::kWrongType;
using err::kWrongValue;

// Box and shadow unless the generic parameters say otherwise.
constexpr Rgba kBoxColor{0xfc, 0xe9, 0xd4, 255};
constexpr Rgba kShadowColor{0x80, 0x80, 0x80, 255};

// Every element of the string parameter is a line; line breaks inside one start new lines.
std::vector<std::string> linesOf(const Value& string) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < string.size(); ++i) {
    const std::string text = elementText(string.elementAt(i));
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
      lines.push_back(text.substr(start, nl - start));
    lines.push_back(text.substr(start));
  }
  return lines;
}

bool flagParam(const Value& values, size_t i, const char* op) {
  if (values.typeAt(i) == ElemType::Text) {
    if (values.textAt(i) == "true") return true;
    if (values.textAt(i) == "false") return false;
  }
  raise(op, kWrongValue + 8);
}

Rgba colorValue(const Value& values, size_t i, const char* op) {
  if (values.typeAt(i) == ElemType::Text)
    if (const auto color = parseColor(values.textAt(i))) return *color;
  raise(op, kWrongValue + 8);
}

// Applies 'box', 'box_color', 'shadow' and 'shadow_color'.
void applyGenParams(const Value& names, const Value& values, TextStyle& style, const char* op) {
  if (names.size() != values.size()) raise(op, kWrongCount + 8);
  bool box = true, shadow = true;
  Rgba boxColor = kBoxColor, shadowColor = kShadowColor;
  for (size_t i = 0; i < names.size(); ++i) {
    if (names.typeAt(i) != ElemType::Text) raise(op, kWrongType + 7);
    const std::string& name = names.textAt(i);
    if (name == "box")
      box = flagParam(values, i, op);
    else if (name == "shadow")
      shadow = flagParam(values, i, op);
    else if (name == "box_color")
      boxColor = colorValue(values, i, op);
    else if (name == "shadow_color")
      shadowColor = colorValue(values, i, op);
    else
      raise(op, kWrongValue + 7);
  }
  if (box) style.box = boxColor;
  if (box && shadow) style.shadow = shadowColor;
}

}  // namespace

void dispText(const Value& window, const Value& string, const Value& coordSystem, const Value& row,
              const Value& column, const Value& color, const Value& genParamName,
              const Value& genParamValue) {
  const char* op = "disp_text";
  const std::string& system = scalarText(coordSystem, 3, op);
  if (system != "window" && system != "image") raise(op, kWrongValue + 3);
  const double r = scalarNumber(row, 4, op), c = scalarNumber(column, 5, op);
  TextStyle style;
  for (size_t i = 0; i < color.size(); ++i) {
    if (color.typeAt(i) != ElemType::Text) raise(op, kWrongType + 6);
    const auto parsed = parseColor(color.textAt(i));
    if (!parsed) raise(op, kWrongValue + 6);
    style.colors.push_back(*parsed);
  }
  applyGenParams(genParamName, genParamValue, style, op);
  const std::vector<std::string> lines = linesOf(string);
  withWindow(window, 1, op, [&](WindowState& win) {
    // Without a colour the text takes the window's current one.
    if (style.colors.empty()) style.colors.push_back(win.colors[win.nextColor % win.colors.size()]);
    const View view = win.view();
    const double y = system == "image" ? view.windowY(r) : r;
    const double x = system == "image" ? view.windowX(c) : c;
    drawText(win.fb, pixelOf(x), pixelOf(y), lines, style);
    win.refresh();
  });
}

}  // namespace standin::window
