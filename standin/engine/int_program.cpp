#include "int_program.h"

#include "expr_nodes.h"

namespace standin::engine {

std::unique_ptr<IntProgram> IntProgram::compile(const Expr& tree) {
  auto program = std::make_unique<IntProgram>();
  Source result;
  if (!dynamic_cast<const ArithNode*>(&tree) || !program->add(tree, result)) return nullptr;
  return program;
}

bool IntProgram::add(const Expr& e, Source& src) {
  if (e.height > static_cast<int>(kMaxSteps) + 1) return false;  // also bounds this recursion
  if (int slot = variableSlot(e); slot >= 0) {
    src = {Source::Variable, slot};
    return true;
  }
  if (const Value* c = e.constant()) {
    src = {Source::Constant, c->isInlineInt() ? c->inlineInt() : 0};
    return c->isInlineInt();
  }
  auto* node = dynamic_cast<const ArithNode*>(&e);
  Source x, y;
  if (!node || !add(node->left(), x) || !add(node->right(), y) || steps_.size() == kMaxSteps)
    return false;
  steps_.push_back({node->kind(), x, y});
  src = {Source::Result, static_cast<int64_t>(steps_.size() - 1)};
  return true;
}

}  // namespace standin::engine
