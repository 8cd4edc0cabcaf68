// Splits one HDevelop program line into tokens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace standin::engine {

enum class Tok {
  Ident,
  Int,
  Real,
  String,
  LParen,
  RParen,
  LBracket,
  RBracket,
  Comma,
  Colon,
  Assign,
  Pipe,
  Dollar,
  Plus,
  Minus,
  Star,
  Slash,
  Percent,
  Eq,
  EqEq,
  NotEq,
  Hash,
  Less,
  LessEq,
  Greater,
  GreaterEq,
  End
};

struct Token {
  Tok kind;
  std::string text;      // identifier name or decoded string literal
  int64_t intValue = 0;  // value of a Tok::Int
  double realValue = 0;  // value of a Tok::Real
};

// Tokens of the line, ending with Tok::End; false with a reason on a lexical error.
bool tokenize(const std::string& line, std::vector<Token>& out, std::string& error);

}  // namespace standin::engine
