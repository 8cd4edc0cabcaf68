#include "stmt_nodes.h"

#include <cmath>

#include "HDevEngineCpp.h"
#include "errors.h"
#include "expr_nodes.h"
#include "run_limits.h"
#include "tuple_arithmetic.h"

namespace standin::engine {

// Stores the value of `value` (or of its integer program) in x.
static void assign(Frame& f, Value& x, const Expr& value, const IntProgram* program) {
  int64_t i;
  if (program && program->run(f, i)) [[likely]] {
    x.setInt(i);
    return;
  }
  Value v;
  if (value.evalInt(f, i, v))
    x.setInt(i);
  else
    x = std::move(v);
}

Flow AssignStmt::exec(Frame& f) const {
  assign(f, f.ctrl[static_cast<size_t>(slot)], *value, program.get());
  return Flow::Next;
}

Flow AppendStmt::exec(Frame& f) const {
  readVariable(f, slot);
  // The operands come first: they may read X, and one that fails leaves X as it was.
  if (rest.size() == 1) {
    Value v = rest[0]->eval(f);
    f.ctrl[static_cast<size_t>(slot)].append(v);
    return Flow::Next;
  }
  std::vector<Value> values;
  values.reserve(rest.size());
  for (const auto& e : rest) values.push_back(e->eval(f));
  Value& x = f.ctrl[static_cast<size_t>(slot)];
  size_t length = x.size(), bytes = x.bytes();
  for (const auto& v : values) length += v.size(), bytes += v.bytes();
  checkTupleLength(length);
  checkValueBytes(bytes);
  for (const auto& v : values) x.append(v);
  return Flow::Next;
}

Flow AddToStmt::exec(Frame& f) const {
  Value& x = f.ctrl[static_cast<size_t>(slot)];
  if (!x.isInlineInt() && !x.isInlineReal() && x.size() == 1 && x.typeAt(0) == ElemType::Text) {
    Value y = addend->eval(f);
    std::string scratch;
    if (y.size() == 1 && x.appendToOwnText(elementTextView(y, 0, scratch))) return Flow::Next;
    x = arith(ArithOp::Add, x, y, f.opName());
    return Flow::Next;
  }
  assign(f, x, *value, program.get());
  return Flow::Next;
}

Flow AssignIndexStmt::exec(Frame& f) const {
  Value v = value->eval(f);
  int64_t i = scalarInt(index->eval(f), 1, f.opName());
  if (i < 0) raise(f.opName(), err::kIndexRange);
  if (v.size() != 1) raise(f.opName(), err::kWrongCount + 2);
  Value& target = f.ctrl[static_cast<size_t>(slot)];
  if (target.isUndefined()) target = Value();
  target.setAt(static_cast<size_t>(i), v.elementAt(0));
  return Flow::Next;
}

Flow OperatorCallStmt::exec(Frame& f) const {
  // Small fixed buffers: operators take at most a handful of parameters.
  std::vector<Value> in;
  in.reserve(args.ctrlIn.size());
  for (const auto& e : args.ctrlIn) in.push_back(e->eval(f));
  std::vector<Object> iconicIn;
  iconicIn.reserve(args.iconicIn.size());
  for (int s : args.iconicIn) {
    const Object& o = f.iconic[static_cast<size_t>(s)];
    if (!o.defined)
      raise(f.opName(), err::kUninitialized, "Iconic variable used before it was set");
    iconicIn.push_back(o);
  }
  std::vector<Value> out(args.ctrlOut.size());
  std::vector<Object> iconicOut(args.iconicOut.size());
  OpCall call{iconicIn, iconicOut, in, out};
  op->run(call);
  for (size_t i = 0; i < out.size(); ++i)
    f.ctrl[static_cast<size_t>(args.ctrlOut[i])] = std::move(out[i]);
  for (size_t i = 0; i < iconicOut.size(); ++i)
    f.iconic[static_cast<size_t>(args.iconicOut[i])] = std::move(iconicOut[i]);
  return Flow::Next;
}

Flow ProcedureCallStmt::exec(Frame& f) const {
  chargeStep(f.opName());
  if (f.depth + 1 >= kMaxCallDepth)
    raise(f.opName(), err::kRecursion,
          "Procedure call depth limit of " + std::to_string(kMaxCallDepth) + " exceeded");
  const Procedure& p = *target;
  Frame callee;
  callee.proc = &p;
  callee.depth = f.depth + 1;
  callee.ctrl.assign(static_cast<size_t>(p.ctrlSlots), Value::undefined());
  callee.iconic.resize(static_cast<size_t>(p.iconicSlots));
  for (size_t i = 0; i < args.ctrlIn.size(); ++i)
    callee.ctrl[static_cast<size_t>(p.ctrlIn[i].slot)] = args.ctrlIn[i]->eval(f);
  for (size_t i = 0; i < args.iconicIn.size(); ++i)
    callee.iconic[static_cast<size_t>(p.iconicIn[i].slot)] =
        f.iconic[static_cast<size_t>(args.iconicIn[i])];
  executeProcedure(p, callee);
  for (size_t i = 0; i < args.ctrlOut.size(); ++i)
    f.ctrl[static_cast<size_t>(args.ctrlOut[i])] =
        std::move(callee.ctrl[static_cast<size_t>(p.ctrlOut[i].slot)]);
  for (size_t i = 0; i < args.iconicOut.size(); ++i)
    f.iconic[static_cast<size_t>(args.iconicOut[i])] =
        std::move(callee.iconic[static_cast<size_t>(p.iconicOut[i].slot)]);
  return Flow::Next;
}

Flow IfStmt::exec(Frame& f) const {
  for (const auto& b : branches) {
    f.current = b.elseifLine ? b.elseifLine.get() : this;
    if (truth(b.condition->eval(f), f.opName())) return runBlock(b.body, f);
  }
  return runBlock(elseBody, f);
}

namespace {

// The values of an integer loop. The number of passes is worked out before the first one, so
// the variable never steps past the end value, nor past the integer range.
class IntegerSteps {
 public:
  IntegerSteps(int64_t from, int64_t to, int64_t by) : value_(static_cast<uint64_t>(from)) {
    bool up = by > 0;
    done_ = up ? from > to : from < to;
    uint64_t distance = up ? static_cast<uint64_t>(to) - static_cast<uint64_t>(from)
                           : static_cast<uint64_t>(from) - static_cast<uint64_t>(to);
    uint64_t stride = up ? static_cast<uint64_t>(by) : 0 - static_cast<uint64_t>(by);
    stepsLeft_ = distance / stride;
    stride_ = static_cast<uint64_t>(by);  // adding it modulo 2^64 adds `by`
  }
  bool next(Value& variable, Frame&, const Stmt&) {
    if (done_) return false;
    variable.setInt(static_cast<int64_t>(value_));
    if (stepsLeft_ == 0) {
      done_ = true;
    } else {
      --stepsLeft_;
      value_ += stride_;
    }
    return true;
  }

 private:
  uint64_t value_, stride_, stepsLeft_;
  bool done_;
};

// The values of a real loop. A step too small to change the variable is an error, not an
// endless loop.
class RealSteps {
 public:
  RealSteps(double from, double to, double by) : value_(from), to_(to), by_(by) {}
  bool next(Value& variable, Frame& f, const Stmt& loop) {
    if (started_) {
      double next = value_ + by_;
      f.current = &loop;  // the error names the for line
      if (next == value_)
        raise(loop.opName.c_str(), err::kWrongValue + 3,
              "The step " + elementText(Element(by_)) + " does not change the loop variable " +
                  elementText(Element(value_)));
      value_ = next;
    }
    started_ = true;
    if (by_ > 0 ? !(value_ <= to_) : !(value_ >= to_)) return false;
    variable = Value::ofReal(value_);
    return true;
  }

 private:
  double value_, to_, by_;
  bool started_ = false;
};

template <typename Steps>
Flow runLoop(const ForStmt& loop, Frame& f, Steps steps) {
  Value& variable = f.ctrl[static_cast<size_t>(loop.slot)];
  while (steps.next(variable, f, loop)) {
    chargeStep(loop.opName.c_str());
    Flow flow = runBlock(loop.body, f);
    if (flow == Flow::Break) break;
    if (flow == Flow::Return) return flow;
  }
  return Flow::Next;
}

}  // namespace

// The bounds and the step are fixed when the loop starts, as in HDevelop.
Flow ForStmt::exec(Frame& f) const {
  Value a = start->eval(f), b = end->eval(f), s = step->eval(f);
  const char* op = opName.c_str();
  if (a.isInlineInt() && b.isInlineInt() && s.isInlineInt()) {
    if (s.inlineInt() == 0) raise(op, err::kWrongValue + 3);
    return runLoop(*this, f, IntegerSteps(a.inlineInt(), b.inlineInt(), s.inlineInt()));
  }
  double from = scalarNumber(a, 1, op), to = scalarNumber(b, 2, op), by = scalarNumber(s, 3, op);
  if (by == 0 || !std::isfinite(by)) raise(op, err::kWrongValue + 3);
  return runLoop(*this, f, RealSteps(from, to, by));
}

Flow WhileStmt::exec(Frame& f) const {
  while (true) {
    f.current = this;
    if (!truth(condition->eval(f), f.opName())) return Flow::Next;
    chargeStep(f.opName());
    Flow flow = runBlock(body, f);
    if (flow == Flow::Break) return Flow::Next;
    if (flow == Flow::Return) return flow;
  }
}

Flow RepeatStmt::exec(Frame& f) const {
  while (true) {
    chargeStep(opName.c_str());
    Flow flow = runBlock(body, f);
    if (flow == Flow::Break) return Flow::Next;
    if (flow == Flow::Return) return flow;
    f.current = untilLine;
    if (truth(condition->eval(f), f.opName())) return Flow::Next;
  }
}

Flow SwitchStmt::exec(Frame& f) const {
  int64_t v = scalarInt(selector->eval(f), 1, f.opName());
  auto it = cases.find(v);
  size_t start = it != cases.end() ? it->second : defaultStart;
  for (size_t i = start; i < body.size(); ++i) {
    f.current = body[i].get();
    Flow flow = body[i]->exec(f);
    if (flow == Flow::Break) return Flow::Next;
    if (flow != Flow::Next) return flow;
  }
  return Flow::Next;
}

Flow TryStmt::exec(Frame& f) const {
  Value caught;
  try {
    return runBlock(body, f);
  } catch (const HalconCpp::HException& e) {
    caught = Value::ofInt(e.ErrorCode());
    caught.append(Element(std::string(e.ErrorMessage().Text())));
  } catch (const HDevEngineCpp::HDevEngineException& e) {
    caught = Value::ofInt(e.HalconErrorCode());
    caught.append(Element(std::string(e.Message())));
  } catch (const ScriptThrow& t) {
    caught = t.value;
  }
  f.ctrl[static_cast<size_t>(exceptionSlot)] = std::move(caught);
  return runBlock(handler, f);
}

Flow ThrowStmt::exec(Frame& f) const {
  throw ScriptThrow{value->eval(f), f.proc->reportName, line};
}

Flow FailingStmt::exec(Frame& f) const {
  raise(f.opName(), code, message);
}

}  // namespace standin::engine
