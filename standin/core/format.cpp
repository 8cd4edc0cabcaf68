// The $ operator: printf-style formatting of every element of a tuple.
#include <cinttypes>
#include <cstdio>

#include "errors.h"
#include "tuple_ops.h"

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

std::string formatElement(const Element& e, const FormatPattern& pattern) {
  char conv = pattern.conversion;
  ElemType t = typeOf(e);
  if (conv == 0) conv = t == ElemType::Int ? 'd' : (t == ElemType::Real ? 'g' : 's');
  std::string base = "%" + pattern.flags + pattern.width + pattern.precision;
  char buf[512];
  if (conv == 's') {
    std::string text = elementText(e);
    std::snprintf(buf, sizeof buf, (base + "s").c_str(), text.c_str());
    return text.size() >= sizeof buf - 1 ? text : std::string(buf);
  }
  if (t == ElemType::Text) raise("$", err::kWrongType + 1);
  double d = t == ElemType::Int ? static_cast<double>(std::get<int64_t>(e)) : std::get<double>(e);
  if (std::string("dioxX").find(conv) != std::string::npos) {
    int64_t i = t == ElemType::Int ? std::get<int64_t>(e) : static_cast<int64_t>(d);
    const char* len = conv == 'd' || conv == 'i'
                          ? PRId64
                          : (conv == 'o' ? PRIo64 : (conv == 'x' ? PRIx64 : PRIX64));
    std::snprintf(buf, sizeof buf, (base + len).c_str(), i);
  } else {
    std::snprintf(buf, sizeof buf, (base + conv).c_str(), d);
  }
  return buf;
}

}  // namespace

Value formatTuple(const Value& v, const Value& format, const char* op) {
  const std::string& text = scalarText(format, 2, op);
  FormatPattern pattern;
  if (!parsePattern(text, pattern))
    raise(op, err::kBadFormat, "Invalid format string: '" + text + "'");
  std::vector<Element> out;
  out.reserve(v.size());
  for (size_t i = 0; i < v.size(); ++i) out.emplace_back(formatElement(v.elementAt(i), pattern));
  return Value::ofElements(std::move(out));
}

}  // namespace standin
