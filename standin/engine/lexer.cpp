#include "lexer.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace standin::engine {
namespace {

bool isIdentStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads a string literal starting after the opening apostrophe.
bool readString(const std::string& s, size_t& i, std::string& out) {
  while (i < s.size()) {
    char c = s[i++];
    if (c == '\'') return true;
    if (c != '\\' || i >= s.size()) {
      out += c;
      continue;
    }
    char e = s[i++];
    switch (e) {
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      default:
        out += e;
        break;  // \\ \' \" and any other escaped character
    }
  }
  return false;
}

bool readNumber(const std::string& s, size_t& i, Token& t) {
  size_t start = i;
  if (s[i] == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    i += 2;
    while (i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i]))) ++i;
    errno = 0;
    t.kind = Tok::Int;
    t.intValue = static_cast<int64_t>(std::strtoull(s.c_str() + start + 2, nullptr, 16));
    return i > start + 2 && errno == 0;
  }
  bool real = false;
  while (i < s.size() && isDigit(s[i])) ++i;
  if (i < s.size() && s[i] == '.' && (i + 1 >= s.size() || s[i + 1] != '.')) {
    real = true;
    ++i;
    while (i < s.size() && isDigit(s[i])) ++i;
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && isDigit(s[j])) {
      real = true;
      i = j;
      while (i < s.size() && isDigit(s[i])) ++i;
    }
  }
  std::string text = s.substr(start, i - start);
  errno = 0;
  bool fits;
  if (real) {
    t.kind = Tok::Real;
    t.realValue = std::strtod(text.c_str(), nullptr);
    // Tiny values are read as the nearest subnormal (or zero); only overflow is an error.
    fits = std::isfinite(t.realValue);
  } else {
    t.kind = Tok::Int;
    t.intValue = std::strtoll(text.c_str(), nullptr, 10);
    fits = errno != ERANGE;
  }
  return fits && (i >= s.size() || !isIdentStart(s[i]));
}

}  // namespace

bool tokenize(const std::string& s, std::vector<Token>& out, std::string& error) {
  out.clear();
  size_t i = 0;
  while (true) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r')) ++i;
    Token t{Tok::End, {}};
    if (i >= s.size()) {
      out.push_back(t);
      return true;
    }
    char c = s[i];
    if (isIdentStart(c)) {
      size_t start = i;
      while (i < s.size() && (isIdentStart(s[i]) || isDigit(s[i]))) ++i;
      t.kind = Tok::Ident;
      t.text = s.substr(start, i - start);
    } else if (isDigit(c) || (c == '.' && i + 1 < s.size() && isDigit(s[i + 1]))) {
      if (!readNumber(s, i, t)) {
        error = "malformed number";
        return false;
      }
    } else if (c == '\'') {
      ++i;
      t.kind = Tok::String;
      if (!readString(s, i, t.text)) {
        error = "unterminated string";
        return false;
      }
    } else {
      auto two = [&](char next) { return i + 1 < s.size() && s[i + 1] == next; };
      size_t len = 1;
      switch (c) {
        case '(':
          t.kind = Tok::LParen;
          break;
        case ')':
          t.kind = Tok::RParen;
          break;
        case '[':
          t.kind = Tok::LBracket;
          break;
        case ']':
          t.kind = Tok::RBracket;
          break;
        case ',':
          t.kind = Tok::Comma;
          break;
        case '|':
          t.kind = Tok::Pipe;
          break;
        case '$':
          t.kind = Tok::Dollar;
          break;
        case '+':
          t.kind = Tok::Plus;
          break;
        case '-':
          t.kind = Tok::Minus;
          break;
        case '*':
          t.kind = Tok::Star;
          break;
        case '/':
          t.kind = Tok::Slash;
          break;
        case '%':
          t.kind = Tok::Percent;
          break;
        case '#':
          t.kind = Tok::Hash;
          break;
        case ':':
          if (two('=')) {
            t.kind = Tok::Assign;
            len = 2;
          } else {
            t.kind = Tok::Colon;
          }
          break;
        case '=':
          if (two('=')) {
            t.kind = Tok::EqEq;
            len = 2;
          } else {
            t.kind = Tok::Eq;
          }
          break;
        case '!':
          if (!two('=')) {
            error = "unexpected '!'";
            return false;
          }
          t.kind = Tok::NotEq;
          len = 2;
          break;
        case '<':
          if (two('=')) {
            t.kind = Tok::LessEq;
            len = 2;
          } else {
            t.kind = Tok::Less;
          }
          break;
        case '>':
          if (two('=')) {
            t.kind = Tok::GreaterEq;
            len = 2;
          } else {
            t.kind = Tok::Greater;
          }
          break;
        default:
          error = std::string("unexpected character '") + c + "'";
          return false;
      }
      i += len;
    }
    out.push_back(std::move(t));
  }
}

}  // namespace standin::engine
