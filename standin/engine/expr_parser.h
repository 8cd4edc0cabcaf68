// Recursive-descent parser for expressions of the script language.
#pragma once

#include <functional>
#include <span>
#include <stdexcept>
#include <string>

#include "lexer.h"
#include "runtime.h"

namespace standin::engine {

// Nesting depth of parentheses, brackets and operators one expression may
// use. Deep enough for any hand-written line; it bounds the parser's
// recursion so a hostile line cannot exhaust the stack.
constexpr int kMaxExprNesting = 64;

// Height of the tree one expression may build (see Expr::height). A chain a + b + c ... adds
// one level per operator without any parentheses; 500 terms are far beyond hand-written
// lines, and evaluating or destroying such a tree stays within a small part of a 1 MB stack.
constexpr int kMaxExprDepth = 500;

struct ParseError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Maps a control variable name to its slot (creating it); throws ParseError
// when the name is not usable as a control variable.
using SlotLookup = std::function<int(const std::string&)>;

class ExprParser {
 public:
  ExprParser(std::span<const Token> tokens, SlotLookup slots)
      : toks_(tokens), slots_(std::move(slots)) {}

  // Parses one expression starting at the cursor.
  ExprPtr parseExpression();
  const Token& peek() const { return toks_[pos_]; }
  const Token& next() { return toks_[pos_ < toks_.size() - 1 ? pos_++ : pos_]; }
  bool accept(Tok kind);
  void expect(Tok kind, const char* what);
  bool atEnd() const { return toks_[pos_].kind == Tok::End; }
  bool atKeyword(const char* word) const {
    return toks_[pos_].kind == Tok::Ident && toks_[pos_].text == word;
  }

 private:
  ExprPtr parseOr();
  ExprPtr parseXor();
  ExprPtr parseAnd();
  ExprPtr parseNot();
  ExprPtr parseComparison();
  ExprPtr parseAdditive();
  ExprPtr parseMultiplicative();
  ExprPtr parseUnary();
  ExprPtr parsePostfix();
  ExprPtr parsePrimary();
  // Refuses a tree taller than kMaxExprDepth.
  static ExprPtr bounded(ExprPtr e);

  // Guards the recursion depth for the lifetime of one nested parse.
  struct Nest {
    explicit Nest(ExprParser& p);
    ~Nest() { --p.depth_; }
    ExprParser& p;
  };

  std::span<const Token> toks_;
  size_t pos_ = 0;
  int depth_ = 0;
  SlotLookup slots_;
};

}  // namespace standin::engine
