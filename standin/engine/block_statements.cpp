// The control blocks: if, for, while, repeat, switch and try.
#include "HalconCpp.h"
#include "body_compiler.h"
#include "errors.h"
#include "expr_nodes.h"

namespace standin::engine {

StmtPtr BodyCompiler::finishBlock(const Line& opener, StmtPtr stmt, const char* closer,
                                  const std::string& error, StmtPtr inner) {
  StmtPtr closing;
  if (!close(opener, closer, closing)) return closing;
  if (!error.empty()) return invalid(opener, error);
  if (inner) return inner;
  return stmt;
}

StmtPtr BodyCompiler::ifStatement(const Line& line, int nesting) {
  auto s = node<IfStmt>(line);
  std::string error;
  ExprPtr cond = openerExpression(line, error);
  Block body = parseBlock({"elseif", "else", "endif"}, nesting + 1);
  s->branches.push_back({std::move(cond), std::move(body), nullptr});
  StmtPtr result;  // set when an elseif or else line is invalid
  while (pos_ < lines_.size() && lines_[pos_].keyword == "elseif") {
    const Line& el = lines_[pos_++];
    std::string elError;
    ExprPtr c = openerExpression(el, elError);
    Block b = parseBlock({"elseif", "else", "endif"}, nesting + 1);
    if (!c) {
      markInvalid(el);
      result = invalidStmt(el, elError);
    }
    s->branches.push_back({std::move(c), std::move(b), node<NoOpStmt>(el)});
  }
  if (pos_ < lines_.size() && lines_[pos_].keyword == "else") {
    const Line& el = lines_[pos_++];
    try {
      expectBare(el);
    } catch (const ParseError& e) {
      markInvalid(el);
      result = invalidStmt(el, e.what());
    }
    s->elseBody = parseBlock({"endif"}, nesting + 1);
  }
  return finishBlock(line, std::move(s), "endif", error, std::move(result));
}

StmtPtr BodyCompiler::forStatement(const Line& line, int nesting) {
  auto s = node<ForStmt>(line);
  std::string error;
  try {
    if (!line.lexError.empty()) throw ParseError(line.lexError);
    const auto& t = line.toks;
    if (t.size() < 4 || t[1].kind != Tok::Ident || t[2].kind != Tok::Assign)
      throw ParseError("expected 'for Var := Start to End by Step'");
    s->slot = ctrlSlot(t[1].text);
    ExprParser p = parserFor(std::span<const Token>(t).subspan(3));
    s->start = p.parseExpression();
    if (!p.atKeyword("to")) throw ParseError("expected 'to'");
    p.next();
    s->end = p.parseExpression();
    if (p.atKeyword("by")) {
      p.next();
      s->step = p.parseExpression();
    } else {
      s->step = makeConstOne();
    }
    if (!p.atEnd()) throw ParseError("unexpected text after the step");
  } catch (const ParseError& e) {
    error = e.what();
  } catch (const HalconCpp::HException& e) {
    error = e.ErrorMessage().Text();
  }
  return finishLoop(line, std::move(s), "endfor", nesting, error);
}

StmtPtr BodyCompiler::whileStatement(const Line& line, int nesting) {
  auto s = node<WhileStmt>(line);
  std::string error;
  s->condition = openerExpression(line, error);
  return finishLoop(line, std::move(s), "endwhile", nesting, error);
}

StmtPtr BodyCompiler::repeatStatement(const Line& line, int nesting) {
  auto s = node<RepeatStmt>(line);
  expectBare(line);
  ++loopDepth_;
  s->body = parseBlock({"until"}, nesting + 1);
  --loopDepth_;
  if (pos_ >= lines_.size()) return invalid(line, "missing 'until'");
  const Line& until = lines_[pos_++];
  std::string error;
  s->condition = openerExpression(until, error);
  if (!s->condition) {
    markInvalid(until);
    return invalidStmt(until, error);
  }
  // A marker for the until line sits last in the body (it does nothing
  // when run) so that a failing condition names its own line.
  auto marker = node<NoOpStmt>(until);
  s->untilLine = marker.get();
  s->body.push_back(std::move(marker));
  return s;
}

StmtPtr BodyCompiler::switchStatement(const Line& line, int nesting) {
  auto s = node<SwitchStmt>(line);
  std::string error;
  StmtPtr labelError;
  s->selector = openerExpression(line, error);
  ++switchDepth_;
  while (pos_ < lines_.size()) {
    const Line& l = lines_[pos_];
    if (l.keyword == "endswitch") break;
    if (l.keyword == "case" || l.keyword == "default") {
      ++pos_;
      try {
        caseLabel(l, *s);
      } catch (const ParseError& e) {
        markInvalid(l);
        labelError = invalidStmt(l, e.what());
      } catch (const HalconCpp::HException& e) {
        markInvalid(l);
        labelError = invalidStmt(l, e.ErrorMessage().Text());
      }
      continue;
    }
    Block part = parseBlock({"case", "default", "endswitch"}, nesting + 1);
    for (auto& st : part) s->body.push_back(std::move(st));
    if (part.empty() && pos_ < lines_.size() && !atKeyword({"case", "default", "endswitch"})) break;
  }
  --switchDepth_;
  return finishBlock(line, std::move(s), "endswitch", error, std::move(labelError));
}

void BodyCompiler::caseLabel(const Line& l, SwitchStmt& s) {
  if (!l.lexError.empty()) throw ParseError(l.lexError);
  const auto& t = l.toks;
  if (l.keyword == "default") {
    if (t.size() != 3 || t[1].kind != Tok::Colon) throw ParseError("expected 'default:'");
    s.defaultStart = s.body.size();
    return;
  }
  ExprParser p = parserFor(std::span<const Token>(t).subspan(1));
  ExprPtr e = p.parseExpression();
  p.expect(Tok::Colon, "':'");
  if (!p.atEnd()) throw ParseError("unexpected text after ':'");
  const Value* v = e->constant();
  if (!v || !v->isInlineInt()) throw ParseError("case label must be an integer constant");
  if (!s.cases.emplace(v->inlineInt(), s.body.size()).second)
    throw ParseError("duplicate case label");
}

StmtPtr BodyCompiler::tryStatement(const Line& line, int nesting) {
  auto s = node<TryStmt>(line);
  expectBare(line);
  s->body = parseBlock({"catch", "endtry"}, nesting + 1);
  if (pos_ >= lines_.size() || lines_[pos_].keyword != "catch")
    return invalid(line, "missing 'catch'");
  const Line& c = lines_[pos_++];
  const auto& t = c.toks;
  bool ok = c.lexError.empty() && t.size() == 5 && t[1].kind == Tok::LParen &&
            t[2].kind == Tok::Ident && t[3].kind == Tok::RParen;
  if (ok) {
    try {
      s->exceptionSlot = ctrlSlot(t[2].text);
    } catch (const ParseError&) {
      ok = false;
    }
  }
  if (!ok) markInvalid(c);
  s->handler = parseBlock({"endtry"}, nesting + 1);
  return finishBlock(line, std::move(s), "endtry", "",
                     ok ? nullptr : invalidStmt(c, "expected 'catch (Exception)'"));
}

ExprPtr BodyCompiler::makeConstOne() {
  return makeConst(Value::ofInt(1));
}

}  // namespace standin::engine
