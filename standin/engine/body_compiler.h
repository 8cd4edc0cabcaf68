// The compiler of one procedure body: block structure, statements, calls.
// Split over body_compiler.cpp (lines, simple statements and calls) and
// block_statements.cpp (the control blocks).
#pragma once

#include <set>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "compiler.h"
#include "expr_parser.h"
#include "lexer.h"
#include "stmt_nodes.h"

namespace standin::engine {

// One code line of the body.
struct Line {
  int number = 0;       // body line number, from 1
  std::string keyword;  // leading word when it is a control keyword
  std::vector<Token> toks;
  std::string lexError;
};

// The first word of a line's text ("" when it does not start with a name).
std::string leadingWord(const std::string& text);

class BodyCompiler {
 public:
  BodyCompiler(Procedure& proc, const ProcedureSource& src, const CompileContext& ctx);
  CompileResult run();

 private:
  int ctrlSlot(const std::string& name);
  int iconicSlot(const std::string& name);
  ExprParser parserFor(std::span<const Token> toks);
  StmtPtr failing(const Line& line, int code, std::string message, std::string op);

  // Records the line as invalid; its statement (if any) is made elsewhere.
  void markInvalid(const Line& line) { result_.invalidLines.push_back(line.number); }

  // A statement that fails with the invalid-line error when executed.
  StmtPtr invalidStmt(const Line& line, const std::string& why);
  StmtPtr invalid(const Line& line, const std::string& why);

  bool atKeyword(const std::set<std::string>& words) const {
    return pos_ < lines_.size() && words.count(lines_[pos_].keyword);
  }

  Block parseBlock(const std::set<std::string>& stops, int nesting);

  // Parses "keyword expr" (the rest of the line as one expression).
  ExprPtr keywordExpression(const Line& line);
  void expectBare(const Line& line);

  // Closes a block: the current line must be `closer`, else the opener is invalid.
  bool close(const Line& opener, const char* closer, StmtPtr& stmt);

  // A statement for the line, reported as `op` (by default the line's keyword).
  template <typename T>
  std::unique_ptr<T> node(const Line& line, std::string op) {
    auto s = std::make_unique<T>();
    s->line = line.number;
    s->opName = std::move(op);
    return s;
  }
  template <typename T>
  std::unique_ptr<T> node(const Line& line) {
    return node<T>(line, line.keyword);
  }

  // Ends a block statement at its closing line: the statement itself, or the one that replaces
  // it when the opener (with `error`), the closer or `inner` (an invalid inner line) failed.
  StmtPtr finishBlock(const Line& opener, StmtPtr stmt, const char* closer,
                      const std::string& error, StmtPtr inner = nullptr);
  // Reads a loop's body and its closing line.
  template <typename Loop>
  StmtPtr finishLoop(const Line& opener, std::unique_ptr<Loop> loop, const char* closer,
                     int nesting, const std::string& error) {
    ++loopDepth_;
    loop->body = parseBlock({closer}, nesting + 1);
    --loopDepth_;
    return finishBlock(opener, std::move(loop), closer, error);
  }

  StmtPtr statement(int nesting);
  StmtPtr jump(const Line& line);

  // Parses the opener's expression; a bad one still lets the block be read
  // so that the lines after it keep their structure.
  ExprPtr openerExpression(const Line& line, std::string& error);
  StmtPtr ifStatement(const Line& line, int nesting);
  StmtPtr forStatement(const Line& line, int nesting);
  static ExprPtr makeConstOne();
  StmtPtr whileStatement(const Line& line, int nesting);
  StmtPtr repeatStatement(const Line& line, int nesting);
  StmtPtr switchStatement(const Line& line, int nesting);
  void caseLabel(const Line& l, SwitchStmt& s);
  StmtPtr tryStatement(const Line& line, int nesting);
  StmtPtr simpleStatement(const Line& line);
  StmtPtr assignment(const Line& line);

  // Splits the argument list of a call into token ranges at top-level commas.
  std::vector<std::vector<Token>> splitArguments(const std::vector<Token>& t);
  static std::string variableName(const std::vector<Token>& arg);
  StmtPtr callStatement(const Line& line);
  Procedure& proc_;
  const CompileContext& ctx_;
  std::vector<Line> lines_;
  size_t pos_ = 0;
  int loopDepth_ = 0;
  int switchDepth_ = 0;
  std::unordered_map<std::string, int> ctrl_, iconic_;
  CompileResult result_;
};

}  // namespace standin::engine
