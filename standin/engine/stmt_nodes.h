// Statement nodes of the script language; built by the procedure compiler.
#pragma once

#include <map>
#include <span>
#include <vector>

#include "int_program.h"
#include "operators.h"
#include "runtime.h"

namespace standin::engine {

struct AssignStmt final : Stmt {
  Flow exec(Frame& f) const override;
  int slot = 0;
  ExprPtr value;
  std::unique_ptr<IntProgram> program;  // the integer fast path of value, when it has one
};

// X := [X, e...]: appends to X in place; X's storage is copied only when another value
// shares it, so growing a tuple one element at a time stays linear.
struct AppendStmt final : Stmt {
  Flow exec(Frame& f) const override;
  int slot = 0;
  ExprPtr value;                  // the whole tuple literal, which owns the operands
  std::span<const ExprPtr> rest;  // e...
};

// X := X + e: when X is one text that no other value shares, e's text is appended to it in
// place (linear for a text built piece by piece); otherwise the same as AssignStmt.
struct AddToStmt final : Stmt {
  Flow exec(Frame& f) const override;
  int slot = 0;
  ExprPtr value;                        // the whole sum, which owns e
  const Expr* addend = nullptr;         // e
  std::unique_ptr<IntProgram> program;  // the integer fast path of value
};

struct AssignIndexStmt final : Stmt {
  Flow exec(Frame& f) const override;
  int slot = 0;
  ExprPtr index, value;
};

// Arguments of an operator or procedure call, in HDevelop order.
struct CallArgs {
  std::vector<int> iconicIn, iconicOut, ctrlOut;  // slots
  std::vector<ExprPtr> ctrlIn;
};

struct OperatorCallStmt final : Stmt {
  Flow exec(Frame& f) const override;
  const OperatorDef* op = nullptr;
  CallArgs args;
};

struct ProcedureCallStmt final : Stmt {
  Flow exec(Frame& f) const override;
  const Procedure* target = nullptr;
  CallArgs args;
};

struct IfStmt final : Stmt {
  Flow exec(Frame& f) const override;
  struct Branch {
    ExprPtr condition;
    Block body;
    StmtPtr elseifLine;  // names the elseif line while its condition runs; null for the if
  };
  std::vector<Branch> branches;
  Block elseBody;
};

struct ForStmt final : Stmt {
  Flow exec(Frame& f) const override;
  int slot = 0;
  ExprPtr start, end, step;
  Block body;
};

struct WhileStmt final : Stmt {
  Flow exec(Frame& f) const override;
  ExprPtr condition;
  Block body;
};

struct RepeatStmt final : Stmt {
  Flow exec(Frame& f) const override;
  Block body;
  ExprPtr condition;
  const Stmt* untilLine = nullptr;  // the until line, reported when its condition fails
};

struct SwitchStmt final : Stmt {
  Flow exec(Frame& f) const override;
  ExprPtr selector;
  std::map<int64_t, size_t> cases;  // case value -> first statement of the case
  size_t defaultStart = SIZE_MAX;
  Block body;  // all case bodies in order; falls through like C
};

struct TryStmt final : Stmt {
  Flow exec(Frame& f) const override;
  Block body;
  int exceptionSlot = 0;
  Block handler;
};

struct ThrowStmt final : Stmt {
  Flow exec(Frame& f) const override;
  ExprPtr value;
};

// break, continue, return.
struct JumpStmt final : Stmt {
  Flow exec(Frame&) const override { return flow; }
  Flow flow = Flow::Next;
};

// stop, import and empty lines: nothing happens at run time.
struct NoOpStmt final : Stmt {
  Flow exec(Frame&) const override { return Flow::Next; }
};

// A line the engine accepted only because of ignore_invalid_lines or
// ignore_unresolved_lines: executing it is an error.
struct FailingStmt final : Stmt {
  Flow exec(Frame& f) const override;
  int code = 0;
  std::string message;
};

}  // namespace standin::engine
