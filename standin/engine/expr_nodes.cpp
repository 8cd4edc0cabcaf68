#include "expr_nodes.h"

#include <algorithm>
#include <cstdint>

#include "HalconCpp.h"
#include "errors.h"
#include "int_program.h"

namespace standin::engine {
namespace {

struct ConstExpr final : Expr {
  explicit ConstExpr(Value v) : value(std::move(v)) {}
  Value eval(Frame&) const override { return value; }
  bool evalInt(Frame&, int64_t& out, Value& other) const override {
    if (!value.isInlineInt()) return other = value, false;
    out = value.inlineInt();
    return true;
  }
  const Value* constant() const override { return &value; }
  Value value;
};

struct VarExpr final : Expr {
  VarExpr(int s, std::string n) : slot(s), name(std::move(n)) {}
  Value eval(Frame& f) const override { return readVariable(f, slot); }
  bool evalInt(Frame& f, int64_t& out, Value& other) const override {
    const Value& v = readVariable(f, slot);
    if (!v.isInlineInt()) return other = v, false;
    out = v.inlineInt();
    return true;
  }
  int slot;
  std::string name;
};

// Evaluates e, or refers to its variable directly to avoid copying big tuples.
// Constants are referred to as well.
struct Operand {
  explicit Operand(ExprPtr e)
      : expr(std::move(e)), slot(variableSlot(*expr)), constant(expr->constant()) {}
  const Value& get(Frame& f, Value& tmp) const {
    if (slot >= 0) return readVariable(f, slot);
    if (constant) return *constant;
    tmp = expr->eval(f);
    return tmp;
  }
  ExprPtr expr;
  int slot;
  const Value* constant;
};

struct TupleExpr final : Expr {
  explicit TupleExpr(std::vector<ExprPtr> i) : items(std::move(i)) {}
  Value eval(Frame& f) const override {
    Value out;
    for (const auto& item : items) out.append(item->eval(f));
    return out;
  }
  Extension extends(int slot, std::span<const ExprPtr>& rest) const override {
    if (items.empty() || variableSlot(*items[0]) != slot) return Extension::None;
    rest = std::span<const ExprPtr>(items).subspan(1);
    return Extension::Append;
  }
  std::vector<ExprPtr> items;
};

int64_t indexValue(const Value& v, size_t i, const char* op) {
  if (v.typeAt(i) != ElemType::Int) raise(op, err::kWrongType + 2);
  return v.intAt(i);
}

struct IndexExpr final : Expr {
  IndexExpr(ExprPtr b, ExprPtr i) : base(std::move(b)), index(std::move(i)) {}
  Value eval(Frame& f) const override {
    Value tmp, itmp;
    const Value& t = base.get(f, tmp);
    const Value& idx = index.get(f, itmp);
    std::vector<Element> out;
    size_t n = idx.size();
    if (n == 1) {
      int64_t k = indexValue(idx, 0, f.opName());
      if (k < 0 || static_cast<size_t>(k) >= t.size()) raise(f.opName(), err::kIndexRange);
      return Value::ofElement(t.elementAt(static_cast<size_t>(k)));
    }
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
      int64_t k = indexValue(idx, i, f.opName());
      if (k < 0 || static_cast<size_t>(k) >= t.size()) raise(f.opName(), err::kIndexRange);
      out.push_back(t.elementAt(static_cast<size_t>(k)));
    }
    return Value::ofElements(std::move(out));
  }
  Operand base, index;
};

struct RangeExpr final : Expr {
  RangeExpr(ExprPtr b, ExprPtr f, ExprPtr t)
      : base(std::move(b)), from(std::move(f)), to(std::move(t)) {}
  Value eval(Frame& f) const override {
    Value tmp;
    const Value& t = base.get(f, tmp);
    int64_t a = scalarInt(from->eval(f), 2, f.opName());
    int64_t b = scalarInt(to->eval(f), 3, f.opName());
    if (b < a) return Value();
    if (a < 0 || static_cast<size_t>(b) >= t.size()) raise(f.opName(), err::kIndexRange);
    std::vector<Element> out;
    out.reserve(static_cast<size_t>(b - a + 1));
    for (int64_t i = a; i <= b; ++i) out.push_back(t.elementAt(static_cast<size_t>(i)));
    return Value::ofElements(std::move(out));
  }
  Operand base;
  ExprPtr from, to;
};

struct LengthExpr final : Expr {
  explicit LengthExpr(ExprPtr e) : operand(std::move(e)) {}
  Value eval(Frame& f) const override {
    Value tmp;
    return Value::ofInt(static_cast<int64_t>(operand.get(f, tmp).size()));
  }
  Operand operand;
};

template <ArithOp K>
inline bool intArith(int64_t p, int64_t q, int64_t& out) {
  return integerStep(K, p, q, out);
}

// How an arithmetic operand is read: variables and constants inline, other
// expressions through their node. Chosen when the tree is built.
enum class Leaf { Var, Const, Any };

template <Leaf L>
struct LeafOperand {
  explicit LeafOperand(ExprPtr e)
      : expr(std::move(e)), slot(variableSlot(*expr)), constant(expr->constant()) {}
  bool getInt(Frame& f, int64_t& out, Value& other) const {
    if constexpr (L == Leaf::Var) {
      const Value& v = readVariable(f, slot);
      if (v.isInlineInt()) return out = v.inlineInt(), true;
      other = v;
      return false;
    } else if constexpr (L == Leaf::Const) {
      if (constant->isInlineInt()) return out = constant->inlineInt(), true;
      other = *constant;
      return false;
    } else {
      return expr->evalInt(f, out, other);
    }
  }
  ExprPtr expr;
  int slot;
  const Value* constant;  // the literal's value (Leaf::Const), read without a virtual call
};

template <ArithOp K, Leaf LA, Leaf LB>
struct ArithExpr final : ArithNode {
  ArithExpr(ExprPtr x, ExprPtr y) : a(std::move(x)), b(std::move(y)) {}
  ArithOp kind() const override { return K; }
  const Expr& left() const override { return *a.expr; }
  const Expr& right() const override { return *b.expr; }

  bool evalInt(Frame& f, int64_t& out, Value& other) const override {
    int64_t p = 0, q = 0;
    // `other` doubles as scratch space so the integer path builds no Value.
    if (a.getInt(f, p, other)) [[likely]] {
      if (b.getInt(f, q, other)) [[likely]] {
        if (intArith<K>(p, q, out)) [[likely]]
          return true;
        return general(f, Value::ofInt(p), Value::ofInt(q), out, other);
      }
      Value y = std::move(other);
      return general(f, Value::ofInt(p), y, out, other);
    }
    Value x = std::move(other);
    Value y;
    if (b.getInt(f, q, y)) y = Value::ofInt(q);
    return general(f, x, y, out, other);
  }

  // Everything but two integers with a simple result.
  bool general(Frame& f, const Value& x, const Value& y, int64_t& out, Value& other) const {
    if (x.isInlineReal() && y.isInlineReal() && K != ArithOp::Div && K != ArithOp::Mod) {
      double r = x.inlineReal(), s = y.inlineReal();
      other = Value::ofReal(K == ArithOp::Add ? r + s : (K == ArithOp::Sub ? r - s : r * s));
      return false;
    }
    other = arith(K, x, y, f.opName());
    if (!other.isInlineInt()) return false;
    out = other.inlineInt();
    return true;
  }

  Value eval(Frame& f) const override {
    int64_t r;
    Value v;
    if (evalInt(f, r, v)) return Value::ofInt(r);
    return v;
  }
  Extension extends(int slot, std::span<const ExprPtr>& rest) const override {
    if (K != ArithOp::Add || LA != Leaf::Var || a.slot != slot) return Extension::None;
    rest = std::span<const ExprPtr>(&b.expr, 1);
    return Extension::Add;
  }
  LeafOperand<LA> a;
  LeafOperand<LB> b;
};

Leaf leafKind(const Expr& e) {
  if (variableSlot(e) >= 0) return Leaf::Var;
  return e.constant() ? Leaf::Const : Leaf::Any;
}

template <ArithOp K, Leaf LA>
ExprPtr makeArithB(ExprPtr a, ExprPtr b) {
  switch (leafKind(*b)) {
    case Leaf::Var:
      return std::make_unique<ArithExpr<K, LA, Leaf::Var>>(std::move(a), std::move(b));
    case Leaf::Const:
      return std::make_unique<ArithExpr<K, LA, Leaf::Const>>(std::move(a), std::move(b));
    default:
      return std::make_unique<ArithExpr<K, LA, Leaf::Any>>(std::move(a), std::move(b));
  }
}

template <ArithOp K>
ExprPtr makeArithA(ExprPtr a, ExprPtr b) {
  switch (leafKind(*a)) {
    case Leaf::Var:
      return makeArithB<K, Leaf::Var>(std::move(a), std::move(b));
    case Leaf::Const:
      return makeArithB<K, Leaf::Const>(std::move(a), std::move(b));
    default:
      return makeArithB<K, Leaf::Any>(std::move(a), std::move(b));
  }
}

template <CmpOp K>
bool decide(int c) {
  switch (K) {
    case CmpOp::Lt:
      return c < 0;
    case CmpOp::Le:
      return c <= 0;
    case CmpOp::Gt:
      return c > 0;
    case CmpOp::Ge:
      return c >= 0;
    case CmpOp::Eq:
      return c == 0;
    default:
      return c != 0;
  }
}

template <CmpOp K>
struct CompareExpr final : Expr {
  CompareExpr(ExprPtr x, ExprPtr y) : a(std::move(x)), b(std::move(y)) {}
  Value eval(Frame& f) const override {
    Value tx, ty;
    const Value& x = a.get(f, tx);
    const Value& y = b.get(f, ty);
    if (x.isInlineInt() && y.isInlineInt()) {
      int64_t p = x.inlineInt(), q = y.inlineInt();
      return Value::ofInt(decide<K>(p < q ? -1 : (p > q ? 1 : 0)));
    }
    if constexpr (K == CmpOp::Eq) return Value::ofInt(tuplesEqual(x, y));
    if constexpr (K == CmpOp::Ne) return Value::ofInt(!tuplesEqual(x, y));
    return Value::ofInt(decide<K>(compareTuples(x, y, f.opName())));
  }
  Operand a, b;
};

struct LogicExpr final : Expr {
  LogicExpr(LogicOp k, ExprPtr x, ExprPtr y) : kind(k), a(std::move(x)), b(std::move(y)) {}
  Value eval(Frame& f) const override {
    bool x = truth(a->eval(f), f.opName());
    if (kind == LogicOp::And && !x) return Value::ofInt(0);
    if (kind == LogicOp::Or && x) return Value::ofInt(1);
    bool y = truth(b->eval(f), f.opName());
    return Value::ofInt(kind == LogicOp::Xor ? x != y : y);
  }
  LogicOp kind;
  ExprPtr a, b;
};

struct NotExpr final : Expr {
  explicit NotExpr(ExprPtr e) : operand(std::move(e)) {}
  Value eval(Frame& f) const override { return Value::ofInt(!truth(operand->eval(f), f.opName())); }
  ExprPtr operand;
};

struct NegateExpr final : Expr {
  explicit NegateExpr(ExprPtr e) : operand(std::move(e)) {}
  Value eval(Frame& f) const override {
    Value v = operand->eval(f);
    if (v.isInlineInt() && v.inlineInt() != INT64_MIN) return Value::ofInt(-v.inlineInt());
    return negate(v, f.opName());  // raises for the one integer without a negative
  }
  ExprPtr operand;
};

struct FormatExpr final : Expr {
  FormatExpr(ExprPtr v, ExprPtr fmt) : value(std::move(v)), format(std::move(fmt)) {}
  Value eval(Frame& f) const override {
    Value tmp;
    return formatTuple(value.get(f, tmp), format->eval(f), f.opName());
  }
  Operand value;
  ExprPtr format;
};

struct FunctionExpr final : Expr {
  FunctionExpr(TupleFunction k, ExprPtr e) : fn(k), arg(std::move(e)) {}
  Value eval(Frame& f) const override {
    Value tmp;
    return applyFunction(fn, arg.get(f, tmp), f.opName());
  }
  TupleFunction fn;
  Operand arg;
};

// Evaluates an expression made only of constants once, at load time. One
// that fails (1 / 0) is kept, so that it fails when its line runs.
ExprPtr fold(ExprPtr e) {
  try {
    Frame scratch;
    Value v = e->eval(scratch);
    return makeConst(std::move(v));
  } catch (const HalconCpp::HException&) {
    return e;
  }
}

// Sets the height of a new node over its children.
ExprPtr over(ExprPtr e, std::initializer_list<const Expr*> children) {
  for (const Expr* c : children)
    if (c && c->height + 1 > e->height) e->height = c->height + 1;
  return e;
}

bool allConstant(const std::vector<const Expr*>& parts) {
  for (const Expr* p : parts)
    if (!p->constant()) return false;
  return true;
}

}  // namespace

void uninitializedVariable(Frame& f, int slot) {
  const auto& names = f.proc->ctrlNames;
  raise(f.opName(), err::kUninitialized,
        "Variable '" + names[static_cast<size_t>(slot)] + "' used before it was set");
}

bool truth(const Value& v, const char* op) {
  if (v.size() != 1) raise(op, err::kWrongCount + 1);
  switch (v.typeAt(0)) {
    case ElemType::Int:
      return v.intAt(0) != 0;
    case ElemType::Real:
      return v.realAt(0) != 0.0;
    default:
      raise(op, err::kWrongType + 1);
  }
}

int variableSlot(const Expr& e) {
  auto* v = dynamic_cast<const VarExpr*>(&e);
  return v ? v->slot : -1;
}

ExprPtr makeConst(Value v) {
  return std::make_unique<ConstExpr>(std::move(v));
}
ExprPtr makeVar(int slot, std::string name) {
  return std::make_unique<VarExpr>(slot, std::move(name));
}

ExprPtr makeTuple(std::vector<ExprPtr> items) {
  std::vector<const Expr*> parts;
  for (const auto& i : items) parts.push_back(i.get());
  bool constant = allConstant(parts);
  int height = 1;
  for (const Expr* p : parts) height = std::max(height, p->height + 1);
  ExprPtr e = std::make_unique<TupleExpr>(std::move(items));
  e->height = height;
  return constant ? fold(std::move(e)) : std::move(e);
}

ExprPtr makeIndex(ExprPtr base, ExprPtr index) {
  const Expr *b = base.get(), *i = index.get();
  return over(std::make_unique<IndexExpr>(std::move(base), std::move(index)), {b, i});
}
ExprPtr makeRange(ExprPtr base, ExprPtr from, ExprPtr to) {
  const Expr *b = base.get(), *x = from.get(), *y = to.get();
  return over(std::make_unique<RangeExpr>(std::move(base), std::move(from), std::move(to)),
              {b, x, y});
}
ExprPtr makeLength(ExprPtr operand) {
  const Expr* o = operand.get();
  return over(std::make_unique<LengthExpr>(std::move(operand)), {o});
}

ExprPtr makeArith(ArithOp op, ExprPtr a, ExprPtr b) {
  bool constant = a->constant() && b->constant();
  const Expr *x = a.get(), *y = b.get();
  ExprPtr e;
  switch (op) {
    case ArithOp::Add:
      e = makeArithA<ArithOp::Add>(std::move(a), std::move(b));
      break;
    case ArithOp::Sub:
      e = makeArithA<ArithOp::Sub>(std::move(a), std::move(b));
      break;
    case ArithOp::Mul:
      e = makeArithA<ArithOp::Mul>(std::move(a), std::move(b));
      break;
    case ArithOp::Div:
      e = makeArithA<ArithOp::Div>(std::move(a), std::move(b));
      break;
    default:
      e = makeArithA<ArithOp::Mod>(std::move(a), std::move(b));
      break;
  }
  e = over(std::move(e), {x, y});
  if (constant) return fold(std::move(e));
  return e;
}

namespace {

ExprPtr makeCompareNode(CmpOp op, ExprPtr a, ExprPtr b) {
  switch (op) {
    case CmpOp::Eq:
      return std::make_unique<CompareExpr<CmpOp::Eq>>(std::move(a), std::move(b));
    case CmpOp::Ne:
      return std::make_unique<CompareExpr<CmpOp::Ne>>(std::move(a), std::move(b));
    case CmpOp::Lt:
      return std::make_unique<CompareExpr<CmpOp::Lt>>(std::move(a), std::move(b));
    case CmpOp::Le:
      return std::make_unique<CompareExpr<CmpOp::Le>>(std::move(a), std::move(b));
    case CmpOp::Gt:
      return std::make_unique<CompareExpr<CmpOp::Gt>>(std::move(a), std::move(b));
    default:
      return std::make_unique<CompareExpr<CmpOp::Ge>>(std::move(a), std::move(b));
  }
}

}  // namespace

ExprPtr makeCompare(CmpOp op, ExprPtr a, ExprPtr b) {
  const Expr *x = a.get(), *y = b.get();
  return over(makeCompareNode(op, std::move(a), std::move(b)), {x, y});
}

ExprPtr makeLogic(LogicOp op, ExprPtr a, ExprPtr b) {
  const Expr *x = a.get(), *y = b.get();
  return over(std::make_unique<LogicExpr>(op, std::move(a), std::move(b)), {x, y});
}
ExprPtr makeNot(ExprPtr operand) {
  const Expr* o = operand.get();
  return over(std::make_unique<NotExpr>(std::move(operand)), {o});
}

ExprPtr makeNegate(ExprPtr operand) {
  bool constant = operand->constant() != nullptr;
  const Expr* o = operand.get();
  ExprPtr e = over(std::make_unique<NegateExpr>(std::move(operand)), {o});
  return constant ? fold(std::move(e)) : std::move(e);
}

ExprPtr makeFormat(ExprPtr value, ExprPtr format) {
  const Expr *v = value.get(), *f = format.get();
  return over(std::make_unique<FormatExpr>(std::move(value), std::move(format)), {v, f});
}
ExprPtr makeFunction(TupleFunction fn, ExprPtr arg) {
  const Expr* a = arg.get();
  return over(std::make_unique<FunctionExpr>(fn, std::move(arg)), {a});
}

}  // namespace standin::engine
