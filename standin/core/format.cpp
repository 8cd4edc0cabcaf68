// The $ operator: printf-style formatting of every element of a tuple.
#include <cinttypes>
#include <cstdio>

#include "errors.h"
#include "tuple_arithmetic.h"

namespace standin {
namespace {

// Parsed "[flags][width][.precision][conversion]".
struct FormatPattern {
  std::string flags;
  std::string width;
  std::string precision;  // includes the '.'
  char conversion = 0;    // 0 = by element type
};

bool parsePattern(const std::string& text, FormatPattern& pattern) {
  size_t i = 0;
  while (i < text.size() && std::string("-+ #0").find(text[i]) != std::string::npos)
    pattern.flags += text[i++];
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') pattern.width += text[i++];
  if (i < text.size() && text[i] == '.') {
    pattern.precision += text[i++];
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') pattern.precision += text[i++];
  }
  if (i < text.size()) pattern.conversion = text[i++];
  if (pattern.width.size() > 3 || pattern.precision.size() > 4) return false;
  return i == text.size() &&
         (pattern.conversion == 0 ||
          std::string("dioxXfeEgGs").find(pattern.conversion) != std::string::npos);
}

// printf into a string of the size the result needs.
template <typename T>
std::string printed(const std::string& format, T value) {
  int n = std::snprintf(nullptr, 0, format.c_str(), value);
  if (n < 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  std::snprintf(out.data(), out.size() + 1, format.c_str(), value);
  return out;
}

// The integer an integer conversion prints: reals are truncated, and must fit.
int64_t integerOf(const Element& e, double d, const char* op) {
  if (typeOf(e) == ElemType::Int) return std::get<int64_t>(e);
  // -2^63 is exact as a double; 2^63 is the first value that no longer fits.
  if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0))
    raise(op, err::kIntegerRange, elementText(e) + " is outside the integer range");
  return static_cast<int64_t>(d);
}

std::string formatElement(const Element& e, const FormatPattern& pattern, const char* op) {
  char conv = pattern.conversion;
  ElemType t = typeOf(e);
  if (conv == 0) conv = t == ElemType::Int ? 'd' : (t == ElemType::Real ? 'g' : 's');
  std::string base = "%" + pattern.flags + pattern.width + pattern.precision;
  if (conv == 's') {
    std::string text = elementText(e);
    return printed(base + "s", text.c_str());
  }
  if (t == ElemType::Text) raise(op, err::kWrongType + 1);
  double d = t == ElemType::Int ? static_cast<double>(std::get<int64_t>(e)) : std::get<double>(e);
  if (std::string("dioxX").find(conv) != std::string::npos) {
    const char* len = conv == 'd' || conv == 'i'
                          ? PRId64
                          : (conv == 'o' ? PRIo64 : (conv == 'x' ? PRIx64 : PRIX64));
    return printed(base + len, integerOf(e, d, op));
  }
  return printed(base + conv, d);
}

}  // namespace

Value formatTuple(const Value& v, const Value& format, const char* op) {
  const std::string& text = scalarText(format, 2, op);
  FormatPattern pattern;
  if (!parsePattern(text, pattern))
    raise(op, err::kBadFormat, "Invalid format string: '" + text + "'");
  ValueBuilder out(v.size());
  for (size_t i = 0; i < v.size(); ++i) out.push(formatElement(v.elementAt(i), pattern, op));
  return out.finish();
}

}  // namespace standin
