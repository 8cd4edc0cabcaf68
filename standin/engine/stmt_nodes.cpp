#include "stmt_nodes.h"

#include "HDevEngineCpp.h"
#include "errors.h"
#include "expr_nodes.h"
#include "tuple_ops.h"

namespace standin::engine {

Flow AssignStmt::exec(Frame& f) const {
  int64_t i;
  Value v;
  if (value->evalInt(f, i, v)) v = Value::ofInt(i);
  f.ctrl[static_cast<size_t>(slot)] = std::move(v);
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
    if (truth(b.condition->eval(f), f.opName())) return runBlock(b.body, f);
  }
  return runBlock(elseBody, f);
}

Flow ForStmt::exec(Frame& f) const {
  Value a = start->eval(f), b = end->eval(f), s = step->eval(f);
  if (a.isInlineInt() && b.isInlineInt() && s.isInlineInt()) {
    int64_t from = a.inlineInt(), to = b.inlineInt(), by = s.inlineInt();
    if (by == 0) raise(opName.c_str(), err::kWrongValue + 3);
    // The bounds are fixed when the loop starts, as in HDevelop.
    for (int64_t i = from; by > 0 ? i <= to : i >= to; i += by) {
      f.ctrl[static_cast<size_t>(slot)] = Value::ofInt(i);
      Flow flow = runBlock(body, f);
      if (flow == Flow::Break) break;
      if (flow == Flow::Return) return flow;
    }
    return Flow::Next;
  }
  double from = scalarNumber(a, 1, opName.c_str());
  double to = scalarNumber(b, 2, opName.c_str());
  double by = scalarNumber(s, 3, opName.c_str());
  if (by == 0) raise(opName.c_str(), err::kWrongValue + 3);
  for (double x = from; by > 0 ? x <= to : x >= to; x += by) {
    f.ctrl[static_cast<size_t>(slot)] = Value::ofReal(x);
    Flow flow = runBlock(body, f);
    if (flow == Flow::Break) break;
    if (flow == Flow::Return) return flow;
  }
  return Flow::Next;
}

Flow WhileStmt::exec(Frame& f) const {
  while (true) {
    f.current = this;
    if (!truth(condition->eval(f), f.opName())) return Flow::Next;
    Flow flow = runBlock(body, f);
    if (flow == Flow::Break) return Flow::Next;
    if (flow == Flow::Return) return flow;
  }
}

Flow RepeatStmt::exec(Frame& f) const {
  while (true) {
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
