// Tuple storage shared by the vision library and the script engine.
// One-element integer and real tuples live inline so scalar arithmetic never
// allocates; everything else sits in a reference-counted, copy-on-write block.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "run_limits.h"

namespace standin {

// Element type codes as the library reports them.
enum class ElemType : int { Int = 1, Real = 2, Text = 4 };

using Element = std::variant<int64_t, double, std::string>;

inline ElemType typeOf(const Element& e) {
  switch (e.index()) {
    case 0:
      return ElemType::Int;
    case 1:
      return ElemType::Real;
    default:
      return ElemType::Text;
  }
}

// Largest number of elements one tuple may hold. Far beyond what inspection
// scripts build, yet small enough (about 160 MB of elements) that a runaway
// loop ends in a clean error instead of exhausting the machine.
constexpr size_t kMaxTupleLength = size_t{1} << 22;

// What an element counts against the byte limit of a value (kMaxValueBytes).
inline size_t elementBytes(const Element& e) {
  return sizeof(Element) + (e.index() == 2 ? std::get<2>(e).size() : 0);
}

class Value {
 public:
  Value() noexcept : kind_(Kind::Empty), i_(0) {}
  static Value undefined() noexcept {
    Value v;
    v.kind_ = Kind::Undef;
    return v;
  }
  static Value ofInt(int64_t i) noexcept {
    Value v;
    v.kind_ = Kind::Int;
    v.i_ = i;
    return v;
  }
  static Value ofReal(double d) noexcept {
    Value v;
    v.kind_ = Kind::Real;
    v.d_ = d;
    return v;
  }
  static Value ofText(std::string s);
  static Value ofElement(Element e);
  // Takes ownership of the elements; one numeric element is stored inline.
  static Value ofElements(std::vector<Element>&& elems);

  Value(const Value& o) noexcept : kind_(o.kind_), i_(o.i_) {
    if (kind_ == Kind::Heap) h_->refs.fetch_add(1, std::memory_order_relaxed);
  }
  Value(Value&& o) noexcept : kind_(o.kind_), i_(o.i_) { o.kind_ = Kind::Empty; }
  Value& operator=(const Value& o) noexcept {
    if (this != &o) {
      Value tmp(o);
      swap(tmp);
    }
    return *this;
  }
  Value& operator=(Value&& o) noexcept {
    if (this != &o) {
      if (kind_ == Kind::Heap) dropHeap();
      kind_ = o.kind_;
      i_ = o.i_;
      o.kind_ = Kind::Empty;
    }
    return *this;
  }
  ~Value() {
    if (kind_ == Kind::Heap) dropHeap();
  }

  // Makes this value the one integer i (the cheapest way to store an integer).
  void setInt(int64_t i) noexcept {
    if (kind_ == Kind::Heap) [[unlikely]]
      dropHeap();
    kind_ = Kind::Int;
    i_ = i;
  }

  void swap(Value& o) noexcept {
    std::swap(kind_, o.kind_);
    std::swap(i_, o.i_);
  }

  bool isUndefined() const { return kind_ == Kind::Undef; }
  bool isInlineInt() const { return kind_ == Kind::Int; }
  bool isInlineReal() const { return kind_ == Kind::Real; }
  int64_t inlineInt() const { return i_; }
  double inlineReal() const { return d_; }

  size_t size() const {
    switch (kind_) {
      case Kind::Int:
      case Kind::Real:
        return 1;
      case Kind::Heap:
        return h_->elems.size();
      default:
        return 0;
    }
  }
  bool empty() const { return size() == 0; }
  // Bytes counted against the value byte limit: every element plus its text.
  size_t bytes() const {
    switch (kind_) {
      case Kind::Int:
      case Kind::Real:
        return sizeof(Element);
      case Kind::Heap:
        return h_->bytes;
      default:
        return 0;
    }
  }

  ElemType typeAt(size_t i) const;
  // Raw accessors; the caller has checked the type with typeAt.
  int64_t intAt(size_t i) const;
  double realAt(size_t i) const;
  const std::string& textAt(size_t i) const;
  // Numeric element as double (integer or real); text is not allowed here.
  double numberAt(size_t i) const;
  bool isNumberAt(size_t i) const { return typeAt(i) != ElemType::Text; }
  Element elementAt(size_t i) const;

  // Element-wise modification; throws HException 21014 past kMaxTupleLength and
  // 6001 past the value byte limit. Storage grows geometrically.
  void append(Element e);
  void append(const Value& v);
  // Sets element i; a gap before it is filled with integer zeros.
  void setAt(size_t i, Element e);
  // Appends to the text of a one-element text value that no other value shares, in place;
  // false (and nothing changed) for any other value.
  bool appendToOwnText(std::string_view more);
  std::vector<Element> elements() const;

 private:
  enum class Kind : uint8_t { Empty, Undef, Int, Real, Heap };
  struct Heap {
    std::atomic<uint32_t> refs{1};
    std::vector<Element> elems;
    size_t bytes = 0;  // elementBytes of all elements
  };

  // Gives up this value's share of its heap block (kind_ is Heap).
  void dropHeap() noexcept;
  void release() noexcept {
    if (kind_ == Kind::Heap) dropHeap();
    kind_ = Kind::Empty;
  }
  // Turns any representation into an unshared heap block for mutation.
  std::vector<Element>& mutableElems();

  Kind kind_;
  union {
    int64_t i_;
    double d_;
    Heap* h_;
  };
};

// Throws the tuple-size error when n elements would exceed the limit.
void checkTupleLength(size_t n);
// Throws the out-of-memory error when a value of that many bytes would exceed the limit.
void checkValueBytes(size_t bytes);

// Collects the elements of a new value, refusing to grow past the limits as it goes, so that
// an oversized result fails before it is built.
class ValueBuilder {
 public:
  explicit ValueBuilder(size_t expected = 0) { elems_.reserve(expected); }
  void push(Element e) {
    bytes_ += elementBytes(e);
    if (bytes_ > valueByteLimit()) checkValueBytes(bytes_);
    elems_.push_back(std::move(e));
  }
  Value finish() { return Value::ofElements(std::move(elems_)); }

 private:
  std::vector<Element> elems_;
  size_t bytes_ = 0;
};

}  // namespace standin
