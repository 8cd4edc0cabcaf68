#include "registry_file.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "utf16.h"

namespace Velotrax::winreg {

namespace {

// The registry's own limits.
constexpr size_t kMaxKeyNameLength = 255;  // UTF-16 units of one key name
constexpr size_t kMaxKeyDepth = 512;       // levels below a root key
constexpr size_t kMaxValueNameLength = 16383;
// Warnings named one by one; a file broken throughout gets one line for the rest.
constexpr size_t kMaxWarnings = 20;

// The first line: what the registry editor writes, in its current and its old format.
constexpr std::string_view kHeaders[] = {"Windows Registry Editor Version 5.00", "REGEDIT4"};
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16ByteOrderMark = "\xFF\xFE";  // little endian, as it writes
constexpr std::u16string_view kRootKeys[] = {u"HKEY_LOCAL_MACHINE", u"HKEY_CURRENT_USER",
                                             u"HKEY_CLASSES_ROOT", u"HKEY_USERS",
                                             u"HKEY_CURRENT_CONFIG"};

std::u16string folded(std::u16string_view name) {
  std::u16string result(name);
  for (char16_t& unit : result)
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
  return result;
}

std::string_view trimmed(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return line.substr(first, line.find_last_not_of(" \t") - first + 1);
}

bool decode(std::string_view bytes, std::u16string& text) {
  std::optional<std::u16string> decoded = os::utf8ToUtf16(bytes);
  if (decoded) text = std::move(*decoded);
  return decoded.has_value();
}

// A quoted string starting at line[at] == '"'; moves `at` past the closing quote.
bool quoted(std::string_view line, size_t& at, std::u16string& text) {
  std::string bytes;
  for (++at; at < line.size(); ++at) {
    char c = line[at];
    if (c == '"') {
      ++at;
      return decode(bytes, text);
    }
    if (c == '\\') {
      if (++at == line.size() || (line[at] != '\\' && line[at] != '"')) return false;
      c = line[at];
    }
    bytes.push_back(c);
  }
  return false;
}

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Bytes of a hex value: "0a,ff,..." with an optional trailing backslash.
bool hexBytes(std::string_view data, bool& continues) {
  continues = !data.empty() && data.back() == '\\';
  if (continues) data = trimmed(data.substr(0, data.size() - 1));
  for (size_t at = 0; at < data.size();) {
    if (at + 1 >= data.size() || !isHexDigit(data[at]) || !isHexDigit(data[at + 1])) return false;
    at += 2;
    if (at < data.size() && data[at++] != ',') return false;
  }
  return true;
}

// The data after '=': a string, dword: or hex[(type)]: bytes.
bool valueData(std::string_view data, FileKey::Value& value, bool& continues) {
  continues = false;
  if (!data.empty() && data[0] == '"') {
    size_t at = 0;
    value.isString = true;
    return quoted(data, at, value.text) && at == data.size();
  }
  value.isString = false;
  if (data.substr(0, 6) == "dword:") {
    data.remove_prefix(6);
    if (data.empty() || data.size() > 8) return false;
    for (char c : data)
      if (!isHexDigit(c)) return false;
    return true;
  }
  if (data.substr(0, 3) != "hex") return false;
  data.remove_prefix(3);
  if (!data.empty() && data[0] == '(') {
    const size_t close = data.find(')');
    if (close == std::string_view::npos || close == 1 || close > 9) return false;
    for (char c : data.substr(1, close - 1))
      if (!isHexDigit(c)) return false;
    data.remove_prefix(close + 1);
  }
  if (data.empty() || data[0] != ':') return false;
  return hexBytes(trimmed(data.substr(1)), continues);
}

class Parser {
 public:
  Parser(const std::string& fileName, RegistryFile& file) : fileName_(fileName), file_(file) {}

  void line(size_t number, std::string_view text) {
    text = trimmed(text);
    if (continuing_) {
      bool more = false;
      if (text.empty() || !hexBytes(text, more))
        return malformed(number, "bad continuation of a hex value");
      continuing_ = more;
      return;
    }
    if (text.empty() || text[0] == ';') return;
    if (text[0] == '[') return section(number, text);
    if (text[0] == '"' || text[0] == '@') return valueLine(number, text);
    malformed(number, "neither a key nor a value");
  }

  // A line that is not text in the file's encoding.
  void undecodable(size_t number) { malformed(number, "not valid UTF-16"); }

  void end(size_t lastLine) {
    if (continuing_) malformed(lastLine, "hex value continues past the end of the file");
    if (unnamed_ > 0)
      file_.warnings.push_back("warning: registry file " + fileName_ + " has " +
                               std::to_string(unnamed_) + " more malformed lines");
  }

 private:
  void malformed(size_t number, const char* reason) {
    if (file_.warnings.size() < kMaxWarnings)
      file_.warnings.push_back("warning: registry file " + fileName_ + " line " +
                               std::to_string(number) + " is malformed (" + reason +
                               "); the key it belongs to cannot be opened");
    else
      ++unnamed_;
    if (current_) current_->damaged = true;
    continuing_ = false;
  }

  void section(size_t number, std::string_view text) {
    current_ = nullptr;
    if (text.back() != ']' || text.size() < 3 || text[1] == '-')
      return malformed(number, "bad key line");
    std::u16string path;
    if (!decode(text.substr(1, text.size() - 2), path)) return malformed(number, "bad key name");
    std::vector<std::u16string_view> names;
    for (size_t start = 0;;) {
      const size_t slash = path.find(u'\\', start);
      names.push_back(std::u16string_view(path).substr(start, slash - start));
      if (slash == std::u16string::npos) break;
      start = slash + 1;
    }
    bool knownRoot = false;
    for (std::u16string_view root : kRootKeys) knownRoot |= folded(root) == folded(names[0]);
    if (!knownRoot) return malformed(number, "unknown root key");
    if (names.size() > kMaxKeyDepth + 1) return malformed(number, "key nested too deeply");
    for (std::u16string_view name : names)
      if (name.empty() || name.size() > kMaxKeyNameLength) return malformed(number, "bad key name");
    FileKey* key = &file_.root;
    for (std::u16string_view name : names) {
      auto [entry, added] = key->subkeyIndex.try_emplace(folded(name), key->subkeys.size());
      if (added) {
        key->subkeys.push_back(std::make_unique<FileKey>());
        key->subkeys.back()->name = name;
      }
      key = key->subkeys[entry->second].get();
    }
    current_ = key;
  }

  void valueLine(size_t number, std::string_view text) {
    std::u16string name;  // '@' names the default value, whose name is empty
    size_t at = text[0] == '"' ? 0 : 1;
    if (at == 0 && !quoted(text, at, name)) return malformed(number, "bad value name");
    if (name.size() > kMaxValueNameLength) return malformed(number, "value name too long");
    if (at >= text.size() || text[at] != '=') return malformed(number, "no '=' after the name");
    FileKey::Value value;
    bool continues = false;
    if (!valueData(text.substr(at + 1), value, continues)) return malformed(number, "bad value");
    if (!current_) return malformed(number, "value outside a key");
    current_->values[folded(name)] = std::move(value);
    continuing_ = continues;
  }

  const std::string& fileName_;
  RegistryFile& file_;
  FileKey* current_ = nullptr;  // the key of the section being read
  bool continuing_ = false;     // the previous line ended a hex value with a backslash
  size_t unnamed_ = 0;          // malformed lines beyond the warnings named one by one
};

}  // namespace

const FileKey* FileKey::subkey(std::u16string_view name) const {
  const auto entry = subkeyIndex.find(folded(name));
  return entry == subkeyIndex.end() ? nullptr : subkeys[entry->second].get();
}

const FileKey::Value* FileKey::value(std::u16string_view name) const {
  const auto entry = values.find(folded(name));
  return entry == values.end() ? nullptr : &entry->second;
}

namespace {

// Calls visit(number, line, decoded) for each line of the text, numbered from 1, as UTF-8
// without its line end. The registry editor writes UTF-16LE with a byte order mark; UTF-8 with
// or without one is read too. A line that is not valid UTF-16 comes with decoded false.
template <class Visit>
size_t forEachLine(std::string_view text, Visit visit) {
  size_t number = 0;
  auto lineOf = [&](std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    visit(++number, line, true);
  };
  if (text.substr(0, kUtf16ByteOrderMark.size()) == kUtf16ByteOrderMark) {
    text.remove_prefix(kUtf16ByteOrderMark.size());
    std::u16string units;
    // A last byte without its partner leaves the last line undecodable.
    auto unitsLine = [&](bool whole) {
      if (!units.empty() && units.back() == u'\r') units.pop_back();
      const std::optional<std::string> line = os::utf16ToUtf8(units);
      visit(++number, line ? *line : std::string(), whole && line.has_value());
      units.clear();
    };
    for (size_t at = 0; at + 1 < text.size(); at += 2) {
      const auto unit = static_cast<char16_t>(static_cast<unsigned char>(text[at]) |
                                              static_cast<unsigned char>(text[at + 1]) << 8);
      if (unit == u'\n')
        unitsLine(true);
      else
        units.push_back(unit);
    }
    unitsLine(text.size() % 2 == 0);
    return number;
  }
  if (text.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark)
    text.remove_prefix(kUtf8ByteOrderMark.size());
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lineOf(text.substr(start, end - start));
    start = end + 1;
  }
  return number;
}

bool isHeader(std::string_view line) {
  return std::find(std::begin(kHeaders), std::end(kHeaders), trimmed(line)) != std::end(kHeaders);
}

}  // namespace

RegistryFile parseRegistryFile(std::string_view text, const std::string& fileName) {
  RegistryFile file;
  Parser parser(fileName, file);
  const size_t lines = forEachLine(text, [&](size_t number, std::string_view line, bool decoded) {
    if (!file.usable) return;
    if (number == 1) {
      if (decoded && isHeader(line)) return;
      file.usable = false;
      file.warnings.push_back("warning: registry file " + fileName +
                              " line 1 is malformed (expected \"" + std::string(kHeaders[0]) +
                              "\" or \"" + std::string(kHeaders[1]) + "\"); no key can be opened");
      return;
    }
    if (decoded)
      parser.line(number, line);
    else
      parser.undecodable(number);
  });
  if (file.usable) parser.end(lines);
  return file;
}

const FileKey* findKey(const RegistryFile& file, std::u16string_view path) {
  if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  const FileKey* key = &file.root;
  for (size_t start = 0; key;) {
    const size_t slash = path.find(u'\\', start);
    key = key->subkey(path.substr(start, slash - start));
    if (slash == std::u16string_view::npos) break;
    start = slash + 1;
  }
  return key;
}

}  // namespace Velotrax::winreg
