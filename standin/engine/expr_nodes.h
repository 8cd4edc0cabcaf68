// Expression nodes of the script language; built by the parser.
#pragma once

#include <string>
#include <vector>

#include "expression_functions.h"
#include "runtime.h"
#include "tuple_arithmetic.h"

namespace standin::engine {

enum class CmpOp { Eq, Ne, Lt, Le, Gt, Ge };
enum class LogicOp { And, Or, Xor };

ExprPtr makeConst(Value v);
ExprPtr makeVar(int slot, std::string name);
ExprPtr makeTuple(std::vector<ExprPtr> items);
ExprPtr makeIndex(ExprPtr base, ExprPtr index);
ExprPtr makeRange(ExprPtr base, ExprPtr from, ExprPtr to);
ExprPtr makeLength(ExprPtr operand);
ExprPtr makeArith(ArithOp op, ExprPtr a, ExprPtr b);
ExprPtr makeCompare(CmpOp op, ExprPtr a, ExprPtr b);
ExprPtr makeLogic(LogicOp op, ExprPtr a, ExprPtr b);
ExprPtr makeNot(ExprPtr operand);
ExprPtr makeNegate(ExprPtr operand);
ExprPtr makeFormat(ExprPtr value, ExprPtr format);
ExprPtr makeFunction(TupleFunction fn, ExprPtr arg);

// What an arithmetic node shows of itself, for compiling integer programs.
struct ArithNode : Expr {
  virtual ArithOp kind() const = 0;
  virtual const Expr& left() const = 0;
  virtual const Expr& right() const = 0;
};

// The slot when e is a plain variable, else -1.
int variableSlot(const Expr& e);

// A condition's value: exactly one integer (or one real) element, non-zero = true.
bool truth(const Value& v, const char* op);

// Raises the error for reading a variable that was never set.
[[noreturn]] void uninitializedVariable(Frame& f, int slot);

// Reads a variable, raising the uninitialized-variable error if it was never set.
inline const Value& readVariable(Frame& f, int slot) {
  const Value& v = f.ctrl[static_cast<size_t>(slot)];
  if (v.isUndefined()) [[unlikely]]
    uninitializedVariable(f, slot);
  return v;
}

}  // namespace standin::engine
