#include "int_program.h"

#include "expr_nodes.h"

namespace standin::engine {

namespace {

using Source = IntProgram::Source;

template <Source S>
inline bool load(const Frame& f, int64_t operand, const int64_t* results, int64_t& out) {
  if constexpr (S == Source::Variable) {
    const Value& v = f.ctrl[static_cast<size_t>(operand)];
    out = v.inlineInt();
    return v.isInlineInt();
  } else if constexpr (S == Source::Constant) {
    out = operand;
    return true;
  } else {
    out = results[operand];
    return true;
  }
}

template <ArithOp Op, Source A, Source B, typename Step>
bool runStep(const Frame& f, const Step* s, int64_t* results, int64_t* result) {
  int64_t x, y;
  if (!load<A>(f, s->a, results, x) || !load<B>(f, s->b, results, y) ||
      !integerStep(Op, x, y, *result))
    return false;
  return s[1].run(f, s + 1, results, result + 1);
}

template <ArithOp Op, Source A, typename Function>
Function stepWith(Source b) {
  switch (b) {
    case Source::Variable:
      return &runStep<Op, A, Source::Variable>;
    case Source::Constant:
      return &runStep<Op, A, Source::Constant>;
    default:
      return &runStep<Op, A, Source::Result>;
  }
}

template <ArithOp Op, typename Function>
Function stepWith(Source a, Source b) {
  switch (a) {
    case Source::Variable:
      return stepWith<Op, Source::Variable, Function>(b);
    case Source::Constant:
      return stepWith<Op, Source::Constant, Function>(b);
    default:
      return stepWith<Op, Source::Result, Function>(b);
  }
}

template <typename Function>
Function stepFor(ArithOp op, Source a, Source b) {
  switch (op) {
    case ArithOp::Add:
      return stepWith<ArithOp::Add, Function>(a, b);
    case ArithOp::Sub:
      return stepWith<ArithOp::Sub, Function>(a, b);
    case ArithOp::Mul:
      return stepWith<ArithOp::Mul, Function>(a, b);
    case ArithOp::Div:
      return stepWith<ArithOp::Div, Function>(a, b);
    default:
      return stepWith<ArithOp::Mod, Function>(a, b);
  }
}

}  // namespace

std::unique_ptr<IntProgram> IntProgram::compile(const Expr& tree) {
  auto program = std::make_unique<IntProgram>();
  Operand result;
  if (!dynamic_cast<const ArithNode*>(&tree) || !program->add(tree, result)) return nullptr;
  program->steps_.push_back({&finish, 0, 0});
  return program;
}

bool IntProgram::add(const Expr& e, Operand& operand) {
  if (e.height > static_cast<int>(kMaxSteps) + 1) return false;  // also bounds this recursion
  if (int slot = variableSlot(e); slot >= 0) {
    operand = {Source::Variable, slot};
    return true;
  }
  if (const Value* c = e.constant()) {
    operand = {Source::Constant, c->isInlineInt() ? c->inlineInt() : 0};
    return c->isInlineInt();
  }
  auto* node = dynamic_cast<const ArithNode*>(&e);
  Operand x, y;
  if (!node || !add(node->left(), x) || !add(node->right(), y) || steps_.size() == kMaxSteps)
    return false;
  steps_.push_back({stepFor<StepFunction>(node->kind(), x.source, y.source), x.value, y.value});
  operand = {Source::Result, static_cast<int64_t>(steps_.size() - 1)};
  return true;
}

}  // namespace standin::engine
