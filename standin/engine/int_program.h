// Integer arithmetic on variables and integer constants, compiled from an expression tree into
// a short chain of steps, each made for its operation and operands: the fast path of
// assignments such as `Sum := Sum + (I * I) % 7`. Whenever a variable does not hold one
// integer, or a step would overflow or divide by a number below 1, the tree itself evaluates
// the expression, so results and errors are always the tree's.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "runtime.h"
#include "tuple_arithmetic.h"

namespace standin::engine {

// x op y for the fast paths: false on overflow and for a divisor below 1 (the general
// path decides those).
inline bool integerStep(ArithOp op, int64_t x, int64_t y, int64_t& out) {
  switch (op) {
    case ArithOp::Add:
      return !__builtin_add_overflow(x, y, &out);
    case ArithOp::Sub:
      return !__builtin_sub_overflow(x, y, &out);
    case ArithOp::Mul:
      return !__builtin_mul_overflow(x, y, &out);
    case ArithOp::Div:
      if (y <= 0) return false;
      out = x / y;
      return true;
    default:
      if (y <= 0) return false;
      out = x % y;
      return true;
  }
}

class IntProgram {
 public:
  // Longest program compiled; bigger trees are evaluated as trees.
  static constexpr size_t kMaxSteps = 16;

  // The program for `tree`, or null when it is not integer arithmetic on variables and
  // integer constants.
  static std::unique_ptr<IntProgram> compile(const Expr& tree);

  // The value, or false when the tree must evaluate the expression.
  bool run(const Frame& f, int64_t& out) const {
    int64_t results[kMaxSteps];
    if (!steps_[0].run(f, steps_.data(), results, results)) [[unlikely]]
      return false;
    out = results[steps_.size() - 2];
    return true;
  }

  // Where an operand of a step comes from.
  enum class Source : uint8_t { Variable, Constant, Result };

 private:
  struct Step;
  // Runs step s, which stores its result in *result, and every step after it. A step asks
  // neither which operation it does nor where its operands come from, and it jumps to the next
  // step itself (a tail call): no loop and no dispatch between steps.
  using StepFunction = bool (*)(const Frame& f, const Step* s, int64_t* results, int64_t* result);
  struct Step {
    StepFunction run;
    int64_t a, b;  // slot, constant, or index of an earlier step
  };
  static bool finish(const Frame&, const Step*, int64_t*, int64_t*) { return true; }
  struct Operand {
    Source source = Source::Constant;
    int64_t value = 0;
  };

  bool add(const Expr& e, Operand& operand);

  std::vector<Step> steps_;  // ends with a step that runs finish
};

}  // namespace standin::engine
