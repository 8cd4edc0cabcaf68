#include "body_compiler.h"

#include <algorithm>

#include "HalconCpp.h"
#include "dev_operators.h"
#include "errors.h"
#include "expr_nodes.h"
#include "operators.h"

namespace standin::engine {
namespace {

const std::set<std::string>& keywords() {
  static const std::set<std::string> k = {
      "if",     "elseif", "else",     "endif", "for",     "endfor",    "while", "endwhile",
      "repeat", "until",  "switch",   "case",  "default", "endswitch", "try",   "catch",
      "endtry", "break",  "continue", "throw", "return",  "stop",      "import"};
  return k;
}

}  // namespace

std::string leadingWord(const std::string& text) {
  size_t i = text.find_first_not_of(" \t");
  if (i == std::string::npos) return {};
  size_t j = i;
  while (j < text.size() && (std::isalnum(static_cast<unsigned char>(text[j])) || text[j] == '_'))
    ++j;
  return text.substr(i, j - i);
}

BodyCompiler::BodyCompiler(Procedure& proc, const ProcedureSource& src, const CompileContext& ctx)
    : proc_(proc), ctx_(ctx) {
  for (size_t i = 0; i < proc.ctrlNames.size(); ++i) ctrl_[proc.ctrlNames[i]] = static_cast<int>(i);
  for (const auto* list : {&proc.iconicIn, &proc.iconicOut})
    for (const auto& p : *list) iconic_[p.name] = p.slot;
  for (size_t i = 0; i < src.lines.size(); ++i) {
    const LineSource& ls = src.lines[i];
    std::string trimmed =
        ls.text.substr(std::min(ls.text.size(), ls.text.find_first_not_of(" \t")));
    if (ls.comment || trimmed.empty() || trimmed[0] == '*') continue;
    Line line;
    line.number = static_cast<int>(i) + 1;
    std::string word = leadingWord(ls.text);
    if (keywords().count(word)) line.keyword = word;
    if (!tokenize(ls.text, line.toks, line.lexError)) line.toks.clear();
    lines_.push_back(std::move(line));
  }
}

CompileResult BodyCompiler::run() {
  proc_.body = parseBlock({}, 0);
  std::sort(result_.invalidLines.begin(), result_.invalidLines.end());
  std::sort(result_.unresolvedLines.begin(), result_.unresolvedLines.end());
  return std::move(result_);
}

int BodyCompiler::ctrlSlot(const std::string& name) {
  if (iconic_.count(name))
    throw ParseError("iconic variable '" + name + "' used as a control value");
  auto it = ctrl_.find(name);
  if (it != ctrl_.end()) return it->second;
  int slot = proc_.ctrlSlots++;
  proc_.ctrlNames.push_back(name);
  ctrl_.emplace(name, slot);
  return slot;
}

int BodyCompiler::iconicSlot(const std::string& name) {
  if (ctrl_.count(name))
    throw ParseError("control variable '" + name + "' used as an iconic object");
  auto it = iconic_.find(name);
  if (it != iconic_.end()) return it->second;
  int slot = proc_.iconicSlots++;
  iconic_.emplace(name, slot);
  return slot;
}

ExprParser BodyCompiler::parserFor(std::span<const Token> toks) {
  return ExprParser(toks, [this](const std::string& n) { return ctrlSlot(n); });
}

StmtPtr BodyCompiler::failing(const Line& line, int code, std::string message, std::string op) {
  auto s = std::make_unique<FailingStmt>();
  s->line = line.number;
  s->opName = std::move(op);
  s->code = code;
  s->message = std::move(message);
  return s;
}

// A statement that fails with the invalid-line error when executed.
StmtPtr BodyCompiler::invalidStmt(const Line& line, const std::string& why) {
  return failing(line, err::kInvalidLine,
                 "Invalid program line " + std::to_string(line.number) + ": " + why,
                 line.keyword.empty() ? "invalid_line" : line.keyword);
}

StmtPtr BodyCompiler::invalid(const Line& line, const std::string& why) {
  markInvalid(line);
  return invalidStmt(line, why);
}

Block BodyCompiler::parseBlock(const std::set<std::string>& stops, int nesting) {
  Block block;
  static const std::set<std::string> kClosers = {"elseif",    "else",  "endif", "endfor",
                                                 "endwhile",  "until", "case",  "default",
                                                 "endswitch", "catch", "endtry"};
  while (pos_ < lines_.size()) {
    const Line& line = lines_[pos_];
    if (stops.count(line.keyword)) break;
    if (kClosers.count(line.keyword)) {
      ++pos_;
      block.push_back(invalid(line, "'" + line.keyword + "' without matching opening line"));
      continue;
    }
    block.push_back(statement(nesting));
  }
  return block;
}

// Parses "keyword expr" (the rest of the line as one expression).
ExprPtr BodyCompiler::keywordExpression(const Line& line) {
  if (!line.lexError.empty()) throw ParseError(line.lexError);
  ExprParser p = parserFor(std::span<const Token>(line.toks).subspan(1));
  ExprPtr e = p.parseExpression();
  if (!p.atEnd()) throw ParseError("unexpected text after the expression");
  return e;
}

void BodyCompiler::expectBare(const Line& line) {
  // "keyword", "keyword ()" or "keyword()"
  if (!line.lexError.empty()) throw ParseError(line.lexError);
  size_t n = line.toks.size();
  bool bare =
      n == 2 || (n == 4 && line.toks[1].kind == Tok::LParen && line.toks[2].kind == Tok::RParen);
  if (!bare) throw ParseError("unexpected text after '" + line.keyword + "'");
}

// Closes a block: the current line must be `closer`, else the opener is invalid.
bool BodyCompiler::close(const Line& opener, const char* closer, StmtPtr& stmt) {
  if (pos_ < lines_.size() && lines_[pos_].keyword == closer) {
    try {
      expectBare(lines_[pos_]);
    } catch (const ParseError& e) {
      markInvalid(lines_[pos_]);
      stmt = invalidStmt(lines_[pos_], e.what());
    }
    ++pos_;
    return !stmt;
  }
  stmt = invalid(opener, std::string("missing '") + closer + "'");
  return false;
}

StmtPtr BodyCompiler::statement(int nesting) {
  const Line& line = lines_[pos_++];
  if (nesting >= kMaxBlockNesting) return invalid(line, "blocks nested too deeply");
  const std::string& kw = line.keyword;
  try {
    if (kw == "if") return ifStatement(line, nesting);
    if (kw == "for") return forStatement(line, nesting);
    if (kw == "while") return whileStatement(line, nesting);
    if (kw == "repeat") return repeatStatement(line, nesting);
    if (kw == "switch") return switchStatement(line, nesting);
    if (kw == "try") return tryStatement(line, nesting);
    if (kw == "break" || kw == "continue" || kw == "return") return jump(line);
    if (kw == "throw") {
      auto s = node<ThrowStmt>(line);
      s->value = keywordExpression(line);
      return s;
    }
    if (kw == "stop") {
      expectBare(line);
      return node<NoOpStmt>(line);
    }
    if (kw == "import") {
      if (line.toks.size() != 3 || line.toks[1].kind != Tok::String)
        throw ParseError("import needs one directory in quotes");
      return node<NoOpStmt>(line);
    }
    return simpleStatement(line);
  } catch (const ParseError& e) {
    return invalid(line, e.what());
  } catch (const HalconCpp::HException& e) {
    return invalid(line, e.ErrorMessage().Text());  // constant folding failed
  }
}

StmtPtr BodyCompiler::jump(const Line& line) {
  expectBare(line);
  auto s = node<JumpStmt>(line);
  if (line.keyword == "break") {
    if (loopDepth_ == 0 && switchDepth_ == 0) throw ParseError("'break' outside a loop or switch");
    s->flow = Flow::Break;
  } else if (line.keyword == "continue") {
    if (loopDepth_ == 0) throw ParseError("'continue' outside a loop");
    s->flow = Flow::Continue;
  } else {
    s->flow = Flow::Return;
  }
  return s;
}

// Parses the opener's expression; a bad one still lets the block be read
// so that the lines after it keep their structure.
ExprPtr BodyCompiler::openerExpression(const Line& line, std::string& error) {
  try {
    return keywordExpression(line);
  } catch (const ParseError& e) {
    error = e.what();
  } catch (const HalconCpp::HException& e) {
    error = e.ErrorMessage().Text();
  }
  return nullptr;
}

StmtPtr BodyCompiler::simpleStatement(const Line& line) {
  if (!line.lexError.empty()) throw ParseError(line.lexError);
  const auto& t = line.toks;
  if (t[0].kind != Tok::Ident) throw ParseError("a line starts with a name");
  if (t[1].kind == Tok::Assign || t[1].kind == Tok::LBracket) return assignment(line);
  if (t[1].kind == Tok::LParen) return callStatement(line);
  throw ParseError("expected ':=' or '(' after '" + t[0].text + "'");
}

// X := e, or X[i] := e.
StmtPtr BodyCompiler::assignment(const Line& line) {
  const auto& t = line.toks;
  ExprParser p = parserFor(std::span<const Token>(t).subspan(2));
  ExprPtr index;
  if (t[1].kind == Tok::LBracket) {
    index = p.parseExpression();
    p.expect(Tok::RBracket, "']'");
    p.expect(Tok::Assign, "':='");
  }
  ExprPtr value = p.parseExpression();
  if (!p.atEnd()) throw ParseError("unexpected text after the expression");
  int slot = ctrlSlot(t[0].text);
  if (index) {
    auto s = node<AssignIndexStmt>(line, "assign_at");
    s->slot = slot;
    s->index = std::move(index);
    s->value = std::move(value);
    return s;
  }
  std::span<const ExprPtr> rest;
  switch (value->extends(slot, rest)) {
    case Extension::Append: {
      auto s = node<AppendStmt>(line, "assign");
      s->slot = slot;
      s->rest = rest;
      s->value = std::move(value);
      return s;
    }
    case Extension::Add: {
      auto s = node<AddToStmt>(line, "assign");
      s->slot = slot;
      s->addend = rest[0].get();
      s->program = IntProgram::compile(*value);
      s->value = std::move(value);
      return s;
    }
    default: {
      auto s = node<AssignStmt>(line, "assign");
      s->slot = slot;
      s->program = IntProgram::compile(*value);
      s->value = std::move(value);
      return s;
    }
  }
}

// Splits the argument list of a call into token ranges at top-level commas.
std::vector<std::vector<Token>> BodyCompiler::splitArguments(const std::vector<Token>& t) {
  std::vector<std::vector<Token>> args;
  std::vector<Token> current;
  int depth = 0;
  size_t i = 2;
  for (; i < t.size(); ++i) {
    Tok k = t[i].kind;
    if (k == Tok::End) throw ParseError("missing ')'");
    if (depth == 0 && (k == Tok::Comma || k == Tok::RParen)) {
      if (k == Tok::RParen && args.empty() && current.empty()) break;
      if (current.empty()) throw ParseError("empty argument");
      current.push_back(Token{Tok::End, {}});
      args.push_back(std::move(current));
      current.clear();
      if (k == Tok::RParen) break;
      continue;
    }
    if (k == Tok::LParen || k == Tok::LBracket) ++depth;
    if (k == Tok::RParen || k == Tok::RBracket) --depth;
    current.push_back(t[i]);
  }
  if (i + 2 != t.size()) throw ParseError("unexpected text after the call");
  return args;
}

std::string BodyCompiler::variableName(const std::vector<Token>& arg) {
  if (arg.size() != 2 || arg[0].kind != Tok::Ident)
    throw ParseError("output argument must be a variable");
  return arg[0].text;
}

StmtPtr BodyCompiler::callStatement(const Line& line) {
  const std::string& name = line.toks[0].text;
  std::vector<std::vector<Token>> args = splitArguments(line.toks);
  const OperatorDef* op = findDevOperator(name);
  if (!op) op = findOperator(name);
  const Procedure* target = op ? nullptr : ctx_.findProcedure(name);
  if (!op && !target) {
    result_.unresolvedLines.push_back(line.number);
    return failing(line, err::kUnresolvedCall, "Call of unresolved procedure '" + name + "'", name);
  }
  int counts[4];
  if (op) {
    counts[0] = op->iconicIn, counts[1] = op->iconicOut, counts[2] = op->ctrlIn,
    counts[3] = op->ctrlOut;
  } else {
    counts[0] = static_cast<int>(target->iconicIn.size());
    counts[1] = static_cast<int>(target->iconicOut.size());
    counts[2] = static_cast<int>(target->ctrlIn.size());
    counts[3] = static_cast<int>(target->ctrlOut.size());
  }
  if (static_cast<int>(args.size()) != counts[0] + counts[1] + counts[2] + counts[3])
    throw ParseError("'" + name + "' takes " +
                     std::to_string(counts[0] + counts[1] + counts[2] + counts[3]) +
                     " arguments, " + std::to_string(args.size()) + " given");
  CallArgs ca;
  size_t k = 0;
  for (int i = 0; i < counts[0]; ++i) ca.iconicIn.push_back(iconicSlot(variableName(args[k++])));
  for (int i = 0; i < counts[1]; ++i) ca.iconicOut.push_back(iconicSlot(variableName(args[k++])));
  for (int i = 0; i < counts[2]; ++i) {
    const auto& a = args[k++];
    ExprParser p = parserFor(a);
    ca.ctrlIn.push_back(p.parseExpression());
    if (!p.atEnd()) throw ParseError("unexpected text in argument " + std::to_string(k));
  }
  for (int i = 0; i < counts[3]; ++i) ca.ctrlOut.push_back(ctrlSlot(variableName(args[k++])));
  if (op) {
    auto s = node<OperatorCallStmt>(line, name);
    s->op = op;
    s->args = std::move(ca);
    return s;
  }
  proc_.callees.push_back(const_cast<Procedure*>(target));
  auto s = node<ProcedureCallStmt>(line, name);
  s->target = target;
  s->args = std::move(ca);
  return s;
}

}  // namespace standin::engine
