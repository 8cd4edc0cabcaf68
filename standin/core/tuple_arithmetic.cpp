#include "tuple_arithmetic.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "errors.h"

namespace standin {
namespace {

[[noreturn]] void integerOverflow(const char* op) {
  raise(op, err::kIntegerRange);
}

Element concatenate(const Value& a, size_t ia, const Value& b, size_t ib) {
  std::string scratchA, scratchB;
  std::string_view x = elementTextView(a, ia, scratchA), y = elementTextView(b, ib, scratchB);
  checkValueBytes(sizeof(Element) + x.size() + y.size());
  std::string out;
  out.reserve(x.size() + y.size());
  out.append(x).append(y);
  return Element(std::move(out));
}

Element combine(ArithOp kind, const Value& a, size_t ia, const Value& b, size_t ib,
                const char* op) {
  ElemType ta = a.typeAt(ia), tb = b.typeAt(ib);
  if (ta == ElemType::Text || tb == ElemType::Text) {
    if (kind != ArithOp::Add) raise(op, err::kWrongType + (ta == ElemType::Text ? 1 : 2));
    return concatenate(a, ia, b, ib);
  }
  if (ta == ElemType::Int && tb == ElemType::Int) {
    int64_t x = a.intAt(ia), y = b.intAt(ib), r;
    if (kind == ArithOp::Div || kind == ArithOp::Mod) {
      if (y == 0) raise(op, err::kDivByZero);
    }
    if (!integerArith(kind, x, y, r)) integerOverflow(op);
    return Element(r);
  }
  if (kind == ArithOp::Mod) raise(op, err::kWrongType + (ta == ElemType::Real ? 1 : 2));
  double x = a.numberAt(ia), y = b.numberAt(ib);
  switch (kind) {
    case ArithOp::Add:
      return Element(x + y);
    case ArithOp::Sub:
      return Element(x - y);
    case ArithOp::Mul:
      return Element(x * y);
    default:
      if (y == 0.0) raise(op, err::kDivByZero);
      return Element(x / y);
  }
}

int compareElements(const Value& a, size_t ia, const Value& b, size_t ib, const char* op) {
  ElemType ta = a.typeAt(ia), tb = b.typeAt(ib);
  if ((ta == ElemType::Text) != (tb == ElemType::Text)) raise(op, err::kWrongType + 2);
  if (ta == ElemType::Text) return a.textAt(ia).compare(b.textAt(ib));
  if (ta == ElemType::Int && tb == ElemType::Int) {
    int64_t x = a.intAt(ia), y = b.intAt(ib);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  double x = a.numberAt(ia), y = b.numberAt(ib);
  return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace

Value arith(ArithOp kind, const Value& a, const Value& b, const char* op) {
  size_t na = a.size(), nb = b.size();
  if (na == 0 || nb == 0) return Value();
  if (na != nb && na != 1 && nb != 1) raise(op, err::kWrongCount + 2);
  size_t n = na > nb ? na : nb;
  checkTupleLength(n);
  ValueBuilder out(n);
  for (size_t i = 0; i < n; ++i)
    out.push(combine(kind, a, na == 1 ? 0 : i, b, nb == 1 ? 0 : i, op));
  return out.finish();
}

Value negate(const Value& a, const char* op) {
  ValueBuilder out(a.size());
  for (size_t i = 0; i < a.size(); ++i) {
    switch (a.typeAt(i)) {
      case ElemType::Int: {
        int64_t r;
        if (__builtin_sub_overflow(int64_t{0}, a.intAt(i), &r)) integerOverflow(op);
        out.push(Element(r));
        break;
      }
      case ElemType::Real:
        out.push(Element(-a.realAt(i)));
        break;
      default:
        raise(op, err::kWrongType + 1);
    }
  }
  return out.finish();
}

bool tuplesEqual(const Value& a, const Value& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    ElemType ta = a.typeAt(i), tb = b.typeAt(i);
    if ((ta == ElemType::Text) != (tb == ElemType::Text)) return false;
    if (ta == ElemType::Text) {
      if (a.textAt(i) != b.textAt(i)) return false;
    } else if (ta == ElemType::Int && tb == ElemType::Int) {
      if (a.intAt(i) != b.intAt(i)) return false;
    } else if (a.numberAt(i) != b.numberAt(i)) {
      return false;
    }
  }
  return true;
}

int compareTuples(const Value& a, const Value& b, const char* op) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    int c = compareElements(a, i, b, i, op);
    if (c != 0) return c;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool integerArith(ArithOp kind, int64_t x, int64_t y, int64_t& out) {
  switch (kind) {
    case ArithOp::Add:
      return !__builtin_add_overflow(x, y, &out);
    case ArithOp::Sub:
      return !__builtin_sub_overflow(x, y, &out);
    case ArithOp::Mul:
      return !__builtin_mul_overflow(x, y, &out);
    default:
      // x / -1 is -x, which overflows for the smallest integer; x % -1 is 0.
      if (y == -1) {
        if (kind == ArithOp::Mod) return out = 0, true;
        return !__builtin_sub_overflow(int64_t{0}, x, &out);
      }
      out = kind == ArithOp::Div ? x / y : x % y;
      return true;
  }
}

std::string_view elementTextView(const Value& v, size_t i, std::string& scratch) {
  if (v.typeAt(i) == ElemType::Text) return v.textAt(i);
  scratch = elementText(v.elementAt(i));
  return scratch;
}

std::string elementText(const Element& e) {
  switch (e.index()) {
    case 0:
      return std::to_string(std::get<0>(e));
    case 1: {
      double d = std::get<1>(e);
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.15g", d);
      if (std::strtod(buf, nullptr) != d) std::snprintf(buf, sizeof buf, "%.17g", d);
      std::string s = buf;
      if (std::isfinite(d) && s.find_first_of(".e") == std::string::npos) s += ".0";
      return s;
    }
    default:
      return std::get<2>(e);
  }
}

std::string displayText(const Value& v) {
  auto one = [&](size_t i) {
    Element e = v.elementAt(i);
    return e.index() == 2 ? "'" + std::get<2>(e) + "'" : elementText(e);
  };
  if (v.size() == 1) return one(0);
  std::string s = "[";
  for (size_t i = 0; i < v.size(); ++i) s += (i ? ", " : "") + one(i);
  return s + "]";
}

int64_t scalarInt(const Value& v, int param, const char* op) {
  if (v.size() != 1) raise(op, err::kWrongCount + param);
  switch (v.typeAt(0)) {
    case ElemType::Int:
      return v.intAt(0);
    case ElemType::Real: {
      double d = v.realAt(0);
      if (d == std::floor(d) && std::fabs(d) < 9.0e18) return static_cast<int64_t>(d);
      raise(op, err::kWrongType + param);
    }
    default:
      raise(op, err::kWrongType + param);
  }
}

double scalarNumber(const Value& v, int param, const char* op) {
  if (v.size() != 1) raise(op, err::kWrongCount + param);
  if (v.typeAt(0) == ElemType::Text) raise(op, err::kWrongType + param);
  return v.numberAt(0);
}

const std::string& scalarText(const Value& v, int param, const char* op) {
  if (v.size() != 1) raise(op, err::kWrongCount + param);
  if (v.typeAt(0) != ElemType::Text) raise(op, err::kWrongType + param);
  return v.textAt(0);
}

}  // namespace standin
