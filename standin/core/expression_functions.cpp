#include "expression_functions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "errors.h"
#include "tuple_arithmetic.h"

namespace standin {
namespace {

Element numberFromText(const std::string& s) {
  if (s.empty()) return Element(s);
  char* end = nullptr;
  errno = 0;
  long long i = std::strtoll(s.c_str(), &end, 10);
  // An integer beyond the 64-bit range is read as the real number it is.
  if (*end == '\0' && errno != ERANGE) return Element(static_cast<int64_t>(i));
  double d = std::strtod(s.c_str(), &end);
  if (*end == '\0') return Element(d);
  return Element(s);  // not a number: stays text, as HDevelop's number() does
}

// The integer a real converts to; it must lie inside the integer range.
int64_t toInteger(double d, const char* op) {
  // -2^63 is exact as a double; 2^63 is the first value that no longer fits.
  if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0))
    raise(op, err::kIntegerRange, elementText(Element(d)) + " is outside the integer range");
  return static_cast<int64_t>(d);
}

Value extreme(const Value& v, bool wantMax, const char* op) {
  if (v.empty()) raise(op, err::kWrongCount + 1);
  size_t best = 0;
  for (size_t i = 1; i < v.size(); ++i) {
    int c =
        compareTuples(Value::ofElement(v.elementAt(i)), Value::ofElement(v.elementAt(best)), op);
    if (wantMax ? c > 0 : c < 0) best = i;
  }
  return Value::ofElement(v.elementAt(best));
}

}  // namespace

bool lookupFunction(std::string_view name, TupleFunction& out) {
  struct Entry {
    std::string_view name;
    TupleFunction f;
  };
  static const Entry kEntries[] = {
      {"sum", TupleFunction::Sum},       {"min", TupleFunction::Min},
      {"max", TupleFunction::Max},       {"abs", TupleFunction::Abs},
      {"sqrt", TupleFunction::Sqrt},     {"int", TupleFunction::Int},
      {"real", TupleFunction::Real},     {"round", TupleFunction::Round},
      {"number", TupleFunction::Number}, {"strlen", TupleFunction::Strlen},
  };
  for (const auto& e : kEntries)
    if (e.name == name) {
      out = e.f;
      return true;
    }
  return false;
}

Value applyFunction(TupleFunction f, const Value& v, const char* op) {
  switch (f) {
    case TupleFunction::Sum: {
      Value total = Value::ofInt(0);
      if (v.empty()) return total;
      total = Value::ofElement(v.elementAt(0));
      std::string scratch;
      for (size_t i = 1; i < v.size(); ++i) {
        // A text total grows in place: adding up many texts stays linear.
        if (!total.appendToOwnText(elementTextView(v, i, scratch)))
          total = arith(ArithOp::Add, total, Value::ofElement(v.elementAt(i)), op);
      }
      return total;
    }
    case TupleFunction::Min:
      return extreme(v, false, op);
    case TupleFunction::Max:
      return extreme(v, true, op);
    default:
      break;
  }
  ValueBuilder out(v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    ElemType t = v.typeAt(i);
    if (f == TupleFunction::Strlen) {
      if (t != ElemType::Text) raise(op, err::kWrongType + 1);
      out.push(Element(static_cast<int64_t>(v.textAt(i).size())));
      continue;
    }
    if (f == TupleFunction::Number) {
      out.push(t == ElemType::Text ? numberFromText(v.textAt(i)) : v.elementAt(i));
      continue;
    }
    if (t == ElemType::Text) raise(op, err::kWrongType + 1);
    double d = v.numberAt(i);
    switch (f) {
      case TupleFunction::Abs:
        if (t == ElemType::Int) {
          int64_t x = v.intAt(i), r = x;
          if (x < 0 && __builtin_sub_overflow(int64_t{0}, x, &r)) raise(op, err::kIntegerRange);
          out.push(Element(r));
        } else {
          out.push(Element(std::fabs(d)));
        }
        break;
      case TupleFunction::Sqrt:
        if (d < 0) raise(op, err::kWrongValue + 1);
        out.push(Element(std::sqrt(d)));
        break;
      case TupleFunction::Int:
        out.push(Element(t == ElemType::Int ? v.intAt(i) : toInteger(d, op)));
        break;
      case TupleFunction::Real:
        out.push(Element(d));
        break;
      case TupleFunction::Round:
        out.push(Element(t == ElemType::Int ? v.intAt(i) : toInteger(std::round(d), op)));
        break;
      default:
        break;
    }
  }
  return out.finish();
}

}  // namespace standin
