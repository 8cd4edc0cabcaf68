#include "script_lines.h"

#include <string>

namespace Velotrax::scriptlines {

namespace {

// What ECMAScript's "." matches.
bool isDotted(std::string_view text) {
  return text.find_first_of("\n\r") == std::string_view::npos;
}

// Consumes ` *` (blanks only, as in the patterns).
void skipBlanks(std::string_view& text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
}

bool consume(std::string_view& text, std::string_view literal) {
  if (text.substr(0, literal.size()) != literal) return false;
  text.remove_prefix(literal.size());
  return true;
}

// ` *<tag> *$`: the pattern's blanks and a fixed tag, nothing else.
bool isTagLine(std::string_view line, std::string_view tag) {
  skipBlanks(line);
  if (!consume(line, tag)) return false;
  skipBlanks(line);
  return line.empty();
}

bool isNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// `.*> *$`: without trailing blanks the rest ends with ">", and nothing in it is a line end
// (">" and " " are not, so one test over the whole rest covers the ".*" part).
bool endsWithTagClose(std::string_view rest) {
  const size_t last = rest.find_last_not_of(' ');
  return last != std::string_view::npos && rest[last] == '>' && isDotted(rest);
}

// ` *<procedure *name="`, leaving the text after the opening quote.
bool consumeProcedureOpening(std::string_view& line) {
  skipBlanks(line);
  if (!consume(line, "<procedure")) return false;
  skipBlanks(line);
  return consume(line, "name=\"");
}

}  // namespace

bool isAnyProcedureStart(std::string_view line) {
  if (!consumeProcedureOpening(line)) return false;
  // The class excludes the quote, so "+" takes exactly the run of name characters.
  size_t n = 0;
  while (n < line.size() && isNameCharacter(line[n])) ++n;
  if (n == 0) return false;
  line.remove_prefix(n);
  return consume(line, "\"") && endsWithTagClose(line);
}

bool isProcedureStart(std::string_view line, std::string_view name) {
  return consumeProcedureOpening(line) && consume(line, name) && consume(line, "\"") &&
         endsWithTagClose(line);
}

bool isBodyStart(std::string_view line) {
  return isTagLine(line, "<body>");
}

bool isBodyEnd(std::string_view line) {
  return isTagLine(line, "</body>");
}

std::optional<std::string_view> bodyLineText(std::string_view line) {
  skipBlanks(line);
  if (line.size() < 2 || line[0] != '<' || (line[1] != 'l' && line[1] != 'c')) return {};
  line.remove_prefix(2);
  // "[^>]*>" cannot pass a ">": the start tag ends at the first one.
  const size_t tagEnd = line.find('>');
  if (tagEnd == std::string_view::npos) return {};
  // `(.*)</[lc]>$`: the text is what lies between the start tag and the closing tag.
  const std::string_view rest = line.substr(tagEnd + 1);
  constexpr size_t kClose = 4;  // "</l>" or "</c>"
  if (rest.size() >= kClose) {
    const std::string_view close = rest.substr(rest.size() - kClose);
    const std::string_view text = rest.substr(0, rest.size() - kClose);
    if (close[0] == '<' && close[1] == '/' && (close[2] == 'l' || close[2] == 'c') &&
        close[3] == '>' && isDotted(text))
      return text;
  }
  // `( [^>]*)?/>$`: a self-closing element, an empty line. Its one ">" ends the line.
  const bool selfClosing = tagEnd + 1 == line.size() && tagEnd >= 1 && line[tagEnd - 1] == '/' &&
                           (tagEnd == 1 || line[0] == ' ');
  if (selfClosing) return std::string_view();
  return {};
}

std::optional<std::string_view> importedPath(std::string_view line) {
  skipBlanks(line);
  if (!consume(line, "import")) return {};
  skipBlanks(line);
  if (!consume(line, "'")) return {};
  // [^']* cannot pass a quote, and one must follow it.
  const size_t quote = line.find('\'');
  if (quote == std::string_view::npos || !isDotted(line.substr(quote + 1))) return {};
  return line.substr(0, quote);
}

std::string decodeEntities(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&apos;", '\''}, {"&quot;", '"'}, {"&gt;", '>'}, {"&lt;", '<'}};
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    if (text[i] == '&') {
      for (const auto& [entity, character] : kEntities) {
        if (text.substr(i, entity.size()) == entity) {
          decoded += character;
          i += entity.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) decoded += text[i++];
  }
  return decoded;
}

}  // namespace Velotrax::scriptlines
