#include "value.h"

#include "errors.h"

namespace standin {

void checkTupleLength(size_t n) {
  if (n > kMaxTupleLength)
    raise("tuple", err::kTupleTooLarge,
          "Tuple exceeds the maximum of " + std::to_string(kMaxTupleLength) + " elements");
}

void Value::dropHeap() noexcept {
  if (h_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete h_;
}

Value Value::ofText(std::string s) {
  Value v;
  v.kind_ = Kind::Heap;
  v.h_ = new Heap;
  v.h_->elems.emplace_back(std::move(s));
  return v;
}

Value Value::ofElement(Element e) {
  switch (e.index()) {
    case 0:
      return ofInt(std::get<0>(e));
    case 1:
      return ofReal(std::get<1>(e));
    default:
      return ofText(std::move(std::get<2>(e)));
  }
}

Value Value::ofElements(std::vector<Element>&& elems) {
  if (elems.empty()) return Value();
  if (elems.size() == 1 && elems[0].index() != 2) return ofElement(std::move(elems[0]));
  checkTupleLength(elems.size());
  Value v;
  v.kind_ = Kind::Heap;
  v.h_ = new Heap;
  v.h_->elems = std::move(elems);
  return v;
}

ElemType Value::typeAt(size_t i) const {
  switch (kind_) {
    case Kind::Int:
      return ElemType::Int;
    case Kind::Real:
      return ElemType::Real;
    default:
      return typeOf(h_->elems[i]);
  }
}

int64_t Value::intAt(size_t i) const {
  return kind_ == Kind::Int ? i_ : std::get<int64_t>(h_->elems[i]);
}

double Value::realAt(size_t i) const {
  return kind_ == Kind::Real ? d_ : std::get<double>(h_->elems[i]);
}

const std::string& Value::textAt(size_t i) const {
  return std::get<std::string>(h_->elems[i]);
}

double Value::numberAt(size_t i) const {
  return typeAt(i) == ElemType::Int ? static_cast<double>(intAt(i)) : realAt(i);
}

Element Value::elementAt(size_t i) const {
  switch (kind_) {
    case Kind::Int:
      return Element(i_);
    case Kind::Real:
      return Element(d_);
    default:
      return h_->elems[i];
  }
}

std::vector<Element>& Value::mutableElems() {
  if (kind_ == Kind::Heap && h_->refs.load(std::memory_order_acquire) == 1) return h_->elems;
  auto* fresh = new Heap;
  switch (kind_) {
    case Kind::Int:
      fresh->elems.emplace_back(i_);
      break;
    case Kind::Real:
      fresh->elems.emplace_back(d_);
      break;
    case Kind::Heap:
      fresh->elems = h_->elems;
      break;
    default:
      break;
  }
  release();
  kind_ = Kind::Heap;
  h_ = fresh;
  return h_->elems;
}

void Value::append(Element e) {
  if (kind_ == Kind::Empty || kind_ == Kind::Undef) {
    *this = ofElement(std::move(e));
    return;
  }
  checkTupleLength(size() + 1);
  mutableElems().push_back(std::move(e));
}

void Value::append(const Value& v) {
  size_t n = v.size();
  if (n == 0) return;
  if (empty() || isUndefined()) {
    *this = v;
    return;
  }
  checkTupleLength(size() + n);
  auto& elems = mutableElems();
  elems.reserve(elems.size() + n);
  for (size_t i = 0; i < n; ++i) elems.push_back(v.elementAt(i));
}

void Value::setAt(size_t i, Element e) {
  size_t n = isUndefined() ? 0 : size();
  if (i == 0 && n <= 1) {
    *this = ofElement(std::move(e));
    return;
  }
  checkTupleLength(i + 1);
  auto& elems = mutableElems();
  if (i >= elems.size()) elems.resize(i + 1, Element(int64_t{0}));
  elems[i] = std::move(e);
}

std::vector<Element> Value::elements() const {
  std::vector<Element> out;
  size_t n = isUndefined() ? 0 : size();
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) out.push_back(elementAt(i));
  return out;
}

}  // namespace standin
