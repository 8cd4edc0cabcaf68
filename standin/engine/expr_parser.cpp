#include "expr_parser.h"

#include "expr_nodes.h"

namespace standin::engine {

ExprParser::Nest::Nest(ExprParser& parser) : p(parser) {
  if (++p.depth_ > kMaxExprNesting) {
    --p.depth_;
    throw ParseError("expression nested too deeply");
  }
}

ExprPtr ExprParser::bounded(ExprPtr e) {
  if (e->height > kMaxExprDepth) throw ParseError("expression nested too deeply");
  return e;
}

bool ExprParser::accept(Tok kind) {
  if (peek().kind != kind) return false;
  next();
  return true;
}

void ExprParser::expect(Tok kind, const char* what) {
  if (!accept(kind)) throw ParseError(std::string("expected ") + what);
}

ExprPtr ExprParser::parseExpression() {
  Nest nest(*this);
  return parseOr();
}

ExprPtr ExprParser::parseOr() {
  ExprPtr e = parseXor();
  while (atKeyword("or")) {
    next();
    e = bounded(makeLogic(LogicOp::Or, std::move(e), parseXor()));
  }
  return e;
}

ExprPtr ExprParser::parseXor() {
  ExprPtr e = parseAnd();
  while (atKeyword("xor")) {
    next();
    e = bounded(makeLogic(LogicOp::Xor, std::move(e), parseAnd()));
  }
  return e;
}

ExprPtr ExprParser::parseAnd() {
  ExprPtr e = parseNot();
  while (atKeyword("and")) {
    next();
    e = bounded(makeLogic(LogicOp::And, std::move(e), parseNot()));
  }
  return e;
}

ExprPtr ExprParser::parseNot() {
  if (atKeyword("not")) {
    Nest nest(*this);
    next();
    return bounded(makeNot(parseNot()));
  }
  return parseComparison();
}

ExprPtr ExprParser::parseComparison() {
  ExprPtr e = parseAdditive();
  while (true) {
    CmpOp op;
    switch (peek().kind) {
      case Tok::Eq:
      case Tok::EqEq:
        op = CmpOp::Eq;
        break;
      case Tok::NotEq:
      case Tok::Hash:
        op = CmpOp::Ne;
        break;
      case Tok::Less:
        op = CmpOp::Lt;
        break;
      case Tok::LessEq:
        op = CmpOp::Le;
        break;
      case Tok::Greater:
        op = CmpOp::Gt;
        break;
      case Tok::GreaterEq:
        op = CmpOp::Ge;
        break;
      default:
        return e;
    }
    next();
    e = bounded(makeCompare(op, std::move(e), parseAdditive()));
  }
}

ExprPtr ExprParser::parseAdditive() {
  ExprPtr e = parseMultiplicative();
  while (peek().kind == Tok::Plus || peek().kind == Tok::Minus) {
    ArithOp op = next().kind == Tok::Plus ? ArithOp::Add : ArithOp::Sub;
    e = bounded(makeArith(op, std::move(e), parseMultiplicative()));
  }
  return e;
}

ExprPtr ExprParser::parseMultiplicative() {
  ExprPtr e = parseUnary();
  while (true) {
    ArithOp op;
    switch (peek().kind) {
      case Tok::Star:
        op = ArithOp::Mul;
        break;
      case Tok::Slash:
        op = ArithOp::Div;
        break;
      case Tok::Percent:
        op = ArithOp::Mod;
        break;
      default:
        return e;
    }
    next();
    e = bounded(makeArith(op, std::move(e), parseUnary()));
  }
}

ExprPtr ExprParser::parseUnary() {
  if (peek().kind == Tok::Minus || peek().kind == Tok::Plus) {
    Nest nest(*this);
    bool minus = next().kind == Tok::Minus;
    ExprPtr operand = parseUnary();
    return minus ? bounded(makeNegate(std::move(operand))) : std::move(operand);
  }
  return parsePostfix();
}

ExprPtr ExprParser::parsePostfix() {
  ExprPtr e = parsePrimary();
  while (true) {
    if (accept(Tok::LBracket)) {
      ExprPtr index = parseExpression();
      if (accept(Tok::Colon)) {
        ExprPtr to = parseExpression();
        expect(Tok::RBracket, "']'");
        e = bounded(makeRange(std::move(e), std::move(index), std::move(to)));
      } else {
        expect(Tok::RBracket, "']'");
        e = bounded(makeIndex(std::move(e), std::move(index)));
      }
    } else if (accept(Tok::Dollar)) {
      e = bounded(makeFormat(std::move(e), parsePrimary()));
    } else {
      return e;
    }
  }
}

ExprPtr ExprParser::parsePrimary() {
  Nest nest(*this);
  const Token& t = next();
  switch (t.kind) {
    case Tok::Int:
      return makeConst(Value::ofInt(t.intValue));
    case Tok::Real:
      return makeConst(Value::ofReal(t.realValue));
    case Tok::String:
      return makeConst(Value::ofText(t.text));
    case Tok::LParen: {
      ExprPtr e = parseExpression();
      expect(Tok::RParen, "')'");
      return e;
    }
    case Tok::LBracket: {
      std::vector<ExprPtr> items;
      if (!accept(Tok::RBracket)) {
        do items.push_back(parseExpression());
        while (accept(Tok::Comma));
        expect(Tok::RBracket, "']'");
      }
      return bounded(makeTuple(std::move(items)));
    }
    case Tok::Pipe: {
      ExprPtr e = parseExpression();
      expect(Tok::Pipe, "'|'");
      return bounded(makeLength(std::move(e)));
    }
    case Tok::Ident: {
      if (t.text == "true") return makeConst(Value::ofInt(1));
      if (t.text == "false") return makeConst(Value::ofInt(0));
      static const char* const kReserved[] = {"and", "or", "xor", "not", "to", "by"};
      for (const char* word : kReserved)
        if (t.text == word) throw ParseError("unexpected '" + t.text + "'");
      if (peek().kind == Tok::LParen) {
        TupleFunction fn;
        if (!lookupFunction(t.text, fn)) throw ParseError("unknown function '" + t.text + "'");
        next();
        ExprPtr arg = parseExpression();
        expect(Tok::RParen, "')'");
        return bounded(makeFunction(fn, std::move(arg)));
      }
      std::string name = t.text;
      return makeVar(slots_(name), name);
    }
    default:
      throw ParseError("unexpected token");
  }
}

}  // namespace standin::engine
