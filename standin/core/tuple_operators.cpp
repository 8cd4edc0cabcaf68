// Tuple basics: tuple_length, tuple_gen_const, tuple_sum, tuple_select, tuple_concat.
#include "errors.h"
#include "expression_functions.h"
#include "operators.h"
#include "tuple_arithmetic.h"

namespace standin {
namespace {

void tupleLength(OpCall& c) {
  c.ctrlOut[0] = Value::ofInt(static_cast<int64_t>(c.ctrlIn[0].size()));
}

void tupleGenConst(OpCall& c) {
  const char* op = "tuple_gen_const";
  int64_t n = scalarInt(c.ctrlIn[0], 1, op);
  if (n < 0) raise(op, err::kWrongValue + 1);
  if (c.ctrlIn[1].size() != 1) raise(op, err::kWrongCount + 2);
  checkTupleLength(static_cast<size_t>(n));
  Element value = c.ctrlIn[1].elementAt(0);
  checkValueBytes(static_cast<size_t>(n) * elementBytes(value));
  std::vector<Element> out(static_cast<size_t>(n), value);
  c.ctrlOut[0] = Value::ofElements(std::move(out));
}

void tupleSum(OpCall& c) {
  c.ctrlOut[0] = applyFunction(TupleFunction::Sum, c.ctrlIn[0], "tuple_sum");
}

void tupleSelect(OpCall& c) {
  const char* op = "tuple_select";
  const Value& t = c.ctrlIn[0];
  const Value& idx = c.ctrlIn[1];
  ValueBuilder out(idx.size());
  for (size_t i = 0; i < idx.size(); ++i) {
    if (idx.typeAt(i) != ElemType::Int) raise(op, err::kWrongType + 2);
    int64_t k = idx.intAt(i);
    if (k < 0 || static_cast<size_t>(k) >= t.size()) raise(op, err::kIndexRange);
    out.push(t.elementAt(static_cast<size_t>(k)));
  }
  c.ctrlOut[0] = out.finish();
}

void tupleConcat(OpCall& c) {
  Value v = c.ctrlIn[0];
  v.append(c.ctrlIn[1]);
  c.ctrlOut[0] = std::move(v);
}

const OperatorDef kTable[] = {
    {"tuple_length", 0, 0, 1, 1, tupleLength}, {"tuple_gen_const", 0, 0, 2, 1, tupleGenConst},
    {"tuple_sum", 0, 0, 1, 1, tupleSum},       {"tuple_select", 0, 0, 2, 1, tupleSelect},
    {"tuple_concat", 0, 0, 2, 1, tupleConcat},
};

}  // namespace

std::span<const OperatorDef> tupleOperators() {
  return kTable;
}

}  // namespace standin
