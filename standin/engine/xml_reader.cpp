#include "xml_reader.h"

#include <cstdlib>

namespace standin::engine {
namespace {

class Reader {
 public:
  explicit Reader(const std::string& s) : s_(s) {}

  XmlElement document() {
    if (s_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
    skipMisc();
    if (startsWith("<!DOCTYPE")) {
      skipPast(">");
      skipMisc();
    }
    if (!startsWith("<")) fail("expected the root element");
    XmlElement root = element(0);
    skipMisc();
    if (pos_ != s_.size()) fail("text after the root element");
    return root;
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw XmlError(what + " at byte " + std::to_string(pos_), pos_);
  }
  bool startsWith(const char* t) const { return s_.compare(pos_, std::char_traits<char>::length(t), t) == 0; }
  void skipPast(const char* end) {
    size_t at = s_.find(end, pos_);
    if (at == std::string::npos) fail(std::string("missing '") + end + "'");
    pos_ = at + std::char_traits<char>::length(end);
  }
  void skipSpace() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n')) ++pos_;
  }
  // Whitespace, comments and processing instructions outside the root.
  void skipMisc() {
    while (true) {
      skipSpace();
      if (startsWith("<?")) skipPast("?>");
      else if (startsWith("<!--")) skipPast("-->");
      else return;
    }
  }
  static bool nameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
  }
  std::string name() {
    size_t start = pos_;
    while (pos_ < s_.size() && nameChar(s_[pos_])) ++pos_;
    if (pos_ == start) fail("expected a name");
    return s_.substr(start, pos_ - start);
  }

  void appendUtf8(std::string& out, unsigned long cp) {
    if (cp == 0 || cp > 0x10FFFF) fail("invalid character reference");
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  // Decodes the reference at pos_ (which is at '&') onto out.
  void reference(std::string& out) {
    size_t semi = s_.find(';', pos_);
    if (semi == std::string::npos || semi - pos_ > 12) fail("unterminated entity reference");
    std::string ref = s_.substr(pos_ + 1, semi - pos_ - 1);
    pos_ = semi + 1;
    if (ref == "lt") out += '<';
    else if (ref == "gt") out += '>';
    else if (ref == "amp") out += '&';
    else if (ref == "apos") out += '\'';
    else if (ref == "quot") out += '"';
    else if (ref.size() > 1 && ref[0] == '#') {
      bool hex = ref[1] == 'x';
      const char* digits = ref.c_str() + (hex ? 2 : 1);
      char* end = nullptr;
      unsigned long cp = std::strtoul(digits, &end, hex ? 16 : 10);
      if (*digits == '\0' || *end != '\0') fail("invalid character reference");
      appendUtf8(out, cp);
    } else {
      fail("unknown entity '&" + ref + ";'");
    }
  }

  std::string attributeValue() {
    char quote = pos_ < s_.size() ? s_[pos_] : 0;
    if (quote != '"' && quote != '\'') fail("expected a quoted attribute value");
    ++pos_;
    std::string value;
    while (pos_ < s_.size() && s_[pos_] != quote) {
      if (s_[pos_] == '<') fail("'<' in attribute value");
      if (s_[pos_] == '&') reference(value);
      else value += s_[pos_++];
    }
    if (pos_ >= s_.size()) fail("unterminated attribute value");
    ++pos_;
    return value;
  }

  XmlElement element(int depth) {
    if (depth >= kMaxXmlDepth) fail("elements nested too deeply");
    ++pos_;  // '<'
    XmlElement e;
    e.name = name();
    while (true) {
      skipSpace();
      if (startsWith("/>")) {
        pos_ += 2;
        return e;
      }
      if (startsWith(">")) {
        ++pos_;
        break;
      }
      std::string attr = name();
      skipSpace();
      if (!startsWith("=")) fail("expected '=' after attribute name");
      ++pos_;
      skipSpace();
      for (const auto& existing : e.attributes)
        if (existing.first == attr) fail("duplicate attribute '" + attr + "'");
      e.attributes.emplace_back(attr, attributeValue());
    }
    content(e, depth);
    return e;
  }

  void content(XmlElement& e, int depth) {
    while (true) {
      if (pos_ >= s_.size()) fail("missing end tag of <" + e.name + ">");
      char c = s_[pos_];
      if (c == '&') {
        reference(e.text);
      } else if (c != '<') {
        e.text += c;
        ++pos_;
      } else if (startsWith("</")) {
        pos_ += 2;
        if (name() != e.name) fail("end tag does not match <" + e.name + ">");
        skipSpace();
        if (!startsWith(">")) fail("expected '>'");
        ++pos_;
        return;
      } else if (startsWith("<!--")) {
        skipPast("-->");
      } else if (startsWith("<![CDATA[")) {
        size_t start = pos_ + 9;
        skipPast("]]>");
        e.text += s_.substr(start, pos_ - 3 - start);
      } else if (startsWith("<?")) {
        skipPast("?>");
      } else {
        e.children.push_back(element(depth + 1));
      }
    }
  }

  const std::string& s_;
  size_t pos_ = 0;
};

}  // namespace

const XmlElement* XmlElement::child(const std::string& childName) const {
  for (const auto& c : children)
    if (c.name == childName) return &c;
  return nullptr;
}

std::string XmlElement::attribute(const std::string& attrName, const std::string& fallback) const {
  for (const auto& a : attributes)
    if (a.first == attrName) return a.second;
  return fallback;
}

XmlElement parseXml(const std::string& text) { return Reader(text).document(); }

}  // namespace standin::engine
