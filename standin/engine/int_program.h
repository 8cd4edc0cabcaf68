// Integer arithmetic on variables and integer constants, compiled from an expression tree into
// a short list of steps that runs without a call per node: the fast path of assignments such
// as `Sum := Sum + (I * I) % 7`. Whenever a variable does not hold one integer, or a step would
// overflow or divide by a number below 1, the tree itself evaluates the expression, so results
// and errors are always the tree's.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "runtime.h"
#include "tuple_ops.h"

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
    for (size_t k = 0; k < steps_.size(); ++k) {
      const Step& s = steps_[k];
      int64_t x, y;
      if (!read(f, s.a, results, x) || !read(f, s.b, results, y) ||
          !integerStep(s.op, x, y, results[k])) [[unlikely]]
        return false;
    }
    out = results[steps_.size() - 1];
    return true;
  }

 private:
  struct Source {
    enum Kind : uint8_t { Variable, Constant, Result } kind = Constant;
    int64_t value = 0;  // slot, constant, or index of an earlier step
  };
  struct Step {
    ArithOp op;
    Source a, b;
  };

  bool add(const Expr& e, Source& src);

  static bool read(const Frame& f, const Source& s, const int64_t* results, int64_t& out) {
    switch (s.kind) {
      case Source::Variable: {
        const Value& v = f.ctrl[static_cast<size_t>(s.value)];
        out = v.inlineInt();
        return v.isInlineInt();
      }
      case Source::Constant:
        out = s.value;
        return true;
      default:
        out = results[s.value];
        return true;
    }
  }

  std::vector<Step> steps_;
};

}  // namespace standin::engine
