#include "tuple_parser.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>

namespace Velotrax {

namespace {

constexpr char kQuote = '\'';

// Positions are 32-bit; no command line comes near the limit, an in-process caller might.
int32_t position(size_t index) {
  return index > INT32_MAX ? INT32_MAX : static_cast<int32_t>(index);
}

[[noreturn]] void unexpected(char c, size_t at) {
  throw TupleParseException("'" + std::string(1, c) + "' is unexpected at this place",
                            position(at));
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// An optional sign and digits as a 64-bit integer, exactly; false outside [-2^63, 2^63).
bool exactInteger(std::string_view digits, int64_t& value) {
  if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
  const char* end = digits.data() + digits.size();
  const auto [last, error] = std::from_chars(digits.data(), end, value);
  return error == std::errc() && last == end;
}

// Where the first integer literal out of range lies in the whole text. It is reported only
// once the whole text has parsed, so that a syntax error anywhere is reported instead.
using OutOfRange = std::optional<size_t>;

// One tuple literal: the text from its first character to the end of the whole argument text.
// Positions are relative to the literal's start.
class TupleParser {
 public:
  TupleParser(const std::string& whole, size_t start, PassMode mode, OutOfRange& outOfRange)
      : whole_(whole),
        start_(start),
        text_(std::string_view(whole).substr(start)),
        mode_(mode),
        outOfRange_(outOfRange) {}

  // Parses the literal into `tuple` (null in the check pass); returns its end index: normally
  // the index of its last character, past the text when it runs to the end.
  size_t parse(TupleHandle tuple);

 private:
  size_t parseString(size_t p);  // returns the index of the closing quote
  size_t parseNumber(size_t p);  // returns the index of the number's last character
  // After an element inside brackets: the index of "]" (tuple ends), or npos with `p` moved
  // to the separating comma (or past the text).
  size_t separatorScan(size_t s, size_t& p);

  const std::string& whole_;
  size_t start_;
  std::string_view text_;
  PassMode mode_;
  OutOfRange& outOfRange_;
  TupleHandle tuple_ = nullptr;
  bool commaSeen_ = false;
};

size_t TupleParser::parse(TupleHandle tuple) {
  tuple_ = tuple;
  bool inBrackets = false;
  size_t p = 0;
  for (; p < text_.size(); ++p) {
    const char c = text_[p];
    size_t end = std::string_view::npos;
    if (c == '[') {
      if (inBrackets) unexpected(c, p);
      inBrackets = true;
      continue;
    }
    if (c == ']') {
      if (inBrackets && !commaSeen_) return p;  // "[]"
      unexpected(c, p);
    }
    if (c == ' ') continue;
    if (c == kQuote) {
      end = parseString(p);
    } else if (c == '+' || c == '-' || c == '.' || isDigit(c)) {
      end = parseNumber(p);
    } else {
      unexpected(c, p);
    }
    if (!inBrackets) return end;  // a bare element is the whole tuple
    const size_t closing = separatorScan(end + 1, p);
    if (closing != std::string_view::npos) return closing;
  }
  // Running out of text ends the tuple, inside brackets and after a comma too.
  return p;
}

size_t TupleParser::separatorScan(size_t s, size_t& p) {
  for (; s < text_.size(); ++s) {
    const char c = text_[s];
    if (c == ' ') continue;
    if (c == ']') return s;
    if (c != ',') unexpected(c, s);
    commaSeen_ = true;
    p = s;
    return std::string_view::npos;
  }
  commaSeen_ = true;
  p = text_.size();
  return std::string_view::npos;
}

size_t TupleParser::parseString(size_t p) {
  std::string value;
  size_t q = p + 1;
  for (; q < text_.size() && text_[q] != kQuote; ++q) {
    if (text_[q] != '\\') {
      value += text_[q];
      continue;
    }
    if (q + 1 == text_.size()) throw TupleParseException("unexpected end of tuple", position(q));
    switch (text_[q + 1]) {
      case 'n':
        value += '\n';
        break;
      case 't':
        value += '\t';
        break;
      case 'v':
        value += '\v';
        break;
      case 'b':
        value += '\b';
        break;
      case 'r':
        value += '\r';
        break;
      case 'f':
        value += '\f';
        break;
      case 'a':
        value += '\a';
        break;
      case '\\':
        value += '\\';
        break;
      case kQuote:
        value += kQuote;
        break;
      default:
        throw TupleParseException("invalid escape sequence", position(q));
    }
    ++q;
  }
  if (q >= text_.size())
    throw TupleParseException(std::string("expected ") + kQuote + " is missing",
                              position(text_.size()));
  if (mode_ == PassMode::build) engineClient().happendTupleString(tuple_, value.c_str());
  return q;
}

size_t TupleParser::parseNumber(size_t p) {
  // The text must begin with a match of [+-]?[0-9]*\.?[0-9]+, that is: after an optional sign,
  // a digit, or a point followed by a digit. (Leading white space cannot occur: the walk has
  // just seen a sign, point or digit.)
  const std::string_view t = text_.substr(p);
  size_t d = (t[0] == '+' || t[0] == '-') ? 1 : 0;
  if (d < t.size() && t[d] == '.') ++d;
  if (d >= t.size() || !isDigit(t[d]))
    throw TupleParseException("could not parse number", position(p));

  // The number is exactly what the C library's strtod consumes ("1e3", "1.", "0x10" too).
  const char* first = whole_.c_str() + start_ + p;
  char* last = nullptr;
  errno = 0;
  const double value = strtod(first, &last);
  const bool beyondDouble = errno == ERANGE;
  const std::string_view consumed(first, static_cast<size_t>(last - first));

  // An integer is an optional sign and digits only: strtod consumes no white space at either
  // end here. Its value is read exactly, not through the double.
  size_t digits = (consumed[0] == '+' || consumed[0] == '-') ? 1 : 0;
  bool integer = digits < consumed.size();
  for (; digits < consumed.size(); ++digits) integer = integer && isDigit(consumed[digits]);

  if (integer) {
    int64_t exact = 0;
    if (!exactInteger(consumed, exact)) {
      if (!outOfRange_) outOfRange_ = start_ + p;
    } else if (mode_ == PassMode::build) {
      engineClient().happendTupleLong(tuple_, exact);
    }
  } else {
    if (beyondDouble) throw std::out_of_range("stod argument out of range");
    if (mode_ == PassMode::build) engineClient().happendTupleDouble(tuple_, value);
  }
  return p + consumed.size() - 1;
}

// Parses the literal at `start`; its end index comes back relative to `start`. In the build
// pass the tuple is appended to `arguments`.
size_t parseLiteral(const std::string& text, size_t start, PassMode mode, OutOfRange& outOfRange,
                    std::vector<ProcedureArgument>& arguments) {
  TupleHandle created = nullptr;
  if (mode == PassMode::build) throwIfFailed(engineClient().hcreateTuple(&created));
  TupleFillGuard guard(created);
  size_t end = 0;
  try {
    end = TupleParser(text, start, mode, outOfRange).parse(created);
  } catch (const TupleParseException& e) {
    throw TupleParseException(e.what(), position(static_cast<size_t>(e.position()) + start));
  }
  if (mode == PassMode::build) {
    TupleHolder held = holdTuple(created);
    guard.complete();
    arguments.push_back({std::string(), std::move(held)});
  }
  return end;
}

}  // namespace

std::vector<ProcedureArgument> parseArgumentList(const std::string& text, PassMode mode) {
  std::vector<ProcedureArgument> arguments;
  OutOfRange outOfRange;
  // The text is well formed: now an integer out of range is the error.
  auto parsed = [&]() -> std::vector<ProcedureArgument> {
    if (outOfRange)
      throw TupleParseException("integer literal out of range", position(*outOfRange));
    return std::move(arguments);
  };
  bool open = false;
  bool commaPending = false;
  size_t tuples = 0;
  size_t i = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '(') {
      if (open) throw ArgParseException("'(' is unexpected at this place", position(i));
      open = true;
    } else if (c == ')') {
      if (open && !commaPending) return parsed();  // what follows is not examined
      throw ArgParseException("')' is unexpected at this place", position(i));
    } else if (c == ' ') {
    } else if (c == ',' && tuples > 0) {
      commaPending = true;
    } else {
      i += parseLiteral(text, i, mode, outOfRange, arguments);
      commaPending = false;
      ++tuples;
    }
  }
  // A literal that runs to the end of the text reports an end index past it; the missing
  // parenthesis is still reported at the end of the text.
  if (open) throw ArgParseException("missing ')'", position(std::min(i, text.size())));
  return parsed();
}

std::string tuplePrintedForm(TupleHandle tuple) {
  const int64_t length = engineClient().hgetTupleLength(tuple);
  std::ostringstream text;
  if (length != 1) text << '[';
  for (int64_t i = 0; i < length; ++i) {
    if (i) text << ", ";
    const bool isString = engineClient().hgetTupleElemType(tuple, i) == kTupleElemString;
    if (isString) text << kQuote;
    text << tupleElementText(tuple, i);
    if (isString) text << kQuote;
  }
  if (length != 1) text << ']';
  return text.str();
}

}  // namespace Velotrax
