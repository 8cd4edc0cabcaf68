#include "tuple_functions.h"

#include <cmath>
#include <cstdlib>

#include "errors.h"
#include "tuple_ops.h"

namespace standin {
namespace {

Element numberFromText(const std::string& s) {
  if (s.empty()) return Element(s);
  char* end = nullptr;
  long long i = std::strtoll(s.c_str(), &end, 10);
  if (*end == '\0') return Element(static_cast<int64_t>(i));
  double d = std::strtod(s.c_str(), &end);
  if (*end == '\0') return Element(d);
  return Element(s);  // not a number: stays text, as HDevelop's number() does
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
      for (size_t i = 1; i < v.size(); ++i)
        total = arith(ArithOp::Add, total, Value::ofElement(v.elementAt(i)), op);
      return total;
    }
    case TupleFunction::Min:
      return extreme(v, false, op);
    case TupleFunction::Max:
      return extreme(v, true, op);
    default:
      break;
  }
  std::vector<Element> out;
  out.reserve(v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    ElemType t = v.typeAt(i);
    if (f == TupleFunction::Strlen) {
      if (t != ElemType::Text) raise(op, err::kWrongType + 1);
      out.emplace_back(static_cast<int64_t>(v.textAt(i).size()));
      continue;
    }
    if (f == TupleFunction::Number) {
      out.push_back(t == ElemType::Text ? numberFromText(v.textAt(i)) : v.elementAt(i));
      continue;
    }
    if (t == ElemType::Text) raise(op, err::kWrongType + 1);
    double d = v.numberAt(i);
    switch (f) {
      case TupleFunction::Abs:
        if (t == ElemType::Int)
          out.emplace_back(v.intAt(i) < 0 ? -v.intAt(i) : v.intAt(i));
        else
          out.emplace_back(std::fabs(d));
        break;
      case TupleFunction::Sqrt:
        if (d < 0) raise(op, err::kWrongValue + 1);
        out.emplace_back(std::sqrt(d));
        break;
      case TupleFunction::Int:
        out.emplace_back(t == ElemType::Int ? v.intAt(i) : static_cast<int64_t>(d));
        break;
      case TupleFunction::Real:
        out.emplace_back(d);
        break;
      case TupleFunction::Round:
        out.emplace_back(t == ElemType::Int ? v.intAt(i) : static_cast<int64_t>(std::llround(d)));
        break;
      default:
        break;
    }
  }
  return Value::ofElements(std::move(out));
}

}  // namespace standin
