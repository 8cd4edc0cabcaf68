// The executable form of a procedure: statement and expression trees built
// once at load time, with variables resolved to slots of a frame.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "object.h"
#include "value.h"

namespace standin::engine {

// Deepest chain of procedure calls a script may build: room for real recursive scripts, while
// a runaway recursion ends in a clean error. Scripts run on the engine's own stack
// (engine_stack.h), which holds this many calls even when each is deeply nested.
constexpr int kMaxCallDepth = 256;

struct Stmt;
struct Procedure;

// Variables of one running procedure.
struct Frame {
  std::vector<Value> ctrl;
  std::vector<Object> iconic;
  const Procedure* proc = nullptr;
  const Stmt* current = nullptr;  // statement being executed, for error reports
  int depth = 0;
  const char* opName() const;
};

// How an assignment X := e may update X in place instead of replacing it.
enum class Extension {
  None,
  Append,  // e is [X, rest...]
  Add,     // e is X + rest[0]
};

struct Expr {
  virtual ~Expr() = default;
  virtual Value eval(Frame& f) const = 0;
  // Fast path for scalar integer arithmetic: true with the result in `out`
  // when it is one integer, otherwise false with the result in `other`.
  virtual bool evalInt(Frame& f, int64_t& out, Value& other) const {
    other = eval(f);
    if (!other.isInlineInt()) return false;
    out = other.inlineInt();
    return true;
  }
  // The constant value when the expression is a literal, else null.
  virtual const Value* constant() const { return nullptr; }
  // Whether this expression extends the variable in `slot`, and with which operands.
  virtual Extension extends(int slot, std::span<const std::unique_ptr<Expr>>& rest) const {
    (void)slot, (void)rest;
    return Extension::None;
  }
  // Nodes on the longest path from this node down to a leaf. Evaluating and destroying a
  // tree recurse this deep.
  int height = 1;
};
using ExprPtr = std::unique_ptr<Expr>;

enum class Flow { Next, Break, Continue, Return };

struct Stmt {
  virtual ~Stmt() = default;
  virtual Flow exec(Frame& f) const = 0;
  int line = 0;        // body line, counted from 1 with comments
  std::string opName;  // operator name reported for this line
};
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

inline Flow runBlock(const Block& block, Frame& f) {
  for (const auto& s : block) {
    f.current = s.get();
    Flow flow = s->exec(f);
    if (flow != Flow::Next) return flow;
  }
  return Flow::Next;
}

inline const char* Frame::opName() const {
  return current ? current->opName.c_str() : "";
}

struct Param {
  std::string name;
  int dimension = 0;
  int slot = 0;
};

// A loaded procedure: signature, slots and body.
struct Procedure : std::enable_shared_from_this<Procedure> {
  std::string name;
  std::string reportName;  // name in engine errors: "main (file.hdev)" for a program's main
  std::string file;
  std::vector<Param> iconicIn, iconicOut, ctrlIn, ctrlOut;
  int ctrlSlots = 0;
  int iconicSlots = 0;
  Block body;
  std::vector<std::string> ctrlNames;  // slot -> variable name, for messages
  std::vector<Procedure*> callees;     // procedures this body calls
  bool compiled = false;
};

// Runs the body of p in frame f (slots sized and inputs set by the caller);
// turns library errors into engine exceptions naming p and the line.
void executeProcedure(const Procedure& p, Frame& f);

// A user exception from throw, carried until a catch or the top of the run.
struct ScriptThrow {
  Value value;
  std::string procName;
  int line;
};

}  // namespace standin::engine
