// A small, strict XML reader for builds without pugixml (the MinGW build):
// elements, attributes, character data, the predefined and numeric entity
// references, CDATA, comments, processing instructions and a DOCTYPE line.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace standin::engine {

struct XmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<XmlElement> children;
  std::string text;  // character data directly inside this element

  const XmlElement* child(const std::string& childName) const;
  // The attribute's value, or `fallback` when it is absent.
  std::string attribute(const std::string& attrName, const std::string& fallback = "") const;
};

struct XmlError : std::runtime_error {
  XmlError(const std::string& what, size_t at) : std::runtime_error(what), offset(at) {}
  size_t offset;
};

// Deepest element nesting accepted; bounds the reader's recursion.
constexpr int kMaxXmlDepth = 256;

// The document's root element; throws XmlError on malformed input.
XmlElement parseXml(const std::string& text);

}  // namespace standin::engine
