#include "value.h"

#include <algorithm>
#include <iterator>
#include <mutex>

#include "errors.h"

namespace standin {
namespace {

size_t sumBytes(const std::vector<Element>& elems) {
  size_t bytes = 0;
  for (const auto& e : elems) bytes += elementBytes(e);
  return bytes;
}

// The element storage of large tuples, kept for reuse as HALCON keeps memory in its cache. Fresh
// memory of that size comes from the system page by page, and each page costs far more than the
// elements written to it; storage the process already has costs nothing. A tuple that grows one
// element at a time therefore moves into kept storage where there is some, and gives back what
// it leaves, in this run and the next.
class StorageCache {
 public:
  // Smaller storage comes cheaply from the allocator's own free lists.
  static constexpr size_t kMinElements = size_t{1} << 12;
  // What the cache holds at most: a few large tuples' worth.
  static constexpr size_t kMaxBytes = size_t{64} << 20;

  // Empty storage for at least `capacity` elements: the smallest kept that is large enough, or
  // new storage.
  std::vector<Element> take(size_t capacity) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      auto best = kept_.end();
      for (auto it = kept_.begin(); it != kept_.end(); ++it)
        if (it->capacity() >= capacity &&
            (best == kept_.end() || it->capacity() < best->capacity()))
          best = it;
      if (best != kept_.end()) {
        std::vector<Element> storage = std::move(*best);
        kept_.erase(best);
        bytes_ -= storage.capacity() * sizeof(Element);
        return storage;
      }
    }
    std::vector<Element> storage;
    storage.reserve(capacity);
    return storage;
  }

  // Keeps the storage (its elements are dropped) while the cache has room, the smallest kept
  // storage making way for larger; otherwise frees it.
  void give(std::vector<Element>&& storage) noexcept {
    const size_t bytes = storage.capacity() * sizeof(Element);
    if (storage.capacity() < kMinElements || bytes > kMaxBytes) return;
    storage.clear();
    std::lock_guard<std::mutex> guard(lock_);
    while (bytes_ + bytes > kMaxBytes) {
      auto smallest = std::min_element(
          kept_.begin(), kept_.end(),
          [](const auto& a, const auto& b) { return a.capacity() < b.capacity(); });
      if (smallest->capacity() >= storage.capacity()) return;
      bytes_ -= smallest->capacity() * sizeof(Element);
      kept_.erase(smallest);
    }
    try {
      kept_.push_back(std::move(storage));
      bytes_ += bytes;
    } catch (const std::bad_alloc&) {
      // Not kept: the storage is freed as it would have been.
    }
  }

 private:
  std::mutex lock_;
  std::vector<std::vector<Element>> kept_;
  size_t bytes_ = 0;
};

// Never destroyed: values may outlive every other static object.
StorageCache& storageCache() {
  static StorageCache* cache = new StorageCache;
  return *cache;
}

// Makes room for `more` elements, doubling the capacity so that appending one element at a
// time stays linear overall; large storage comes from and goes back to the cache.
void reserveMore(std::vector<Element>& elems, size_t more) {
  const size_t needed = elems.size() + more;
  if (needed <= elems.capacity()) return;
  const size_t capacity = std::max(needed, 2 * elems.capacity());
  if (capacity < StorageCache::kMinElements) {
    elems.reserve(capacity);
    return;
  }
  std::vector<Element> larger = storageCache().take(capacity);
  std::move(elems.begin(), elems.end(), std::back_inserter(larger));
  elems.swap(larger);
  storageCache().give(std::move(larger));
}

}  // namespace

void checkTupleLength(size_t n) {
  if (n > kMaxTupleLength)
    raise("tuple", err::kTupleTooLarge,
          "Tuple exceeds the maximum of " + std::to_string(kMaxTupleLength) + " elements");
}

void checkValueBytes(size_t bytes) {
  size_t limit = valueByteLimit();
  if (bytes > limit)
    raise("tuple", err::kOutOfMemory,
          "Not enough memory: a value may hold at most " + std::to_string(limit) + " bytes");
}

void Value::dropHeap() noexcept {
  if (h_->refs.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  storageCache().give(std::move(h_->elems));
  delete h_;
}

Value Value::ofText(std::string s) {
  size_t bytes = sizeof(Element) + s.size();
  checkValueBytes(bytes);
  Value v;
  v.kind_ = Kind::Heap;
  v.h_ = new Heap;
  v.h_->elems.emplace_back(std::move(s));
  v.h_->bytes = bytes;
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
  size_t bytes = sumBytes(elems);
  checkValueBytes(bytes);
  Value v;
  v.kind_ = Kind::Heap;
  v.h_ = new Heap;
  v.h_->elems = std::move(elems);
  v.h_->bytes = bytes;
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
  fresh->bytes = bytes();
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
  size_t bytes = this->bytes() + elementBytes(e);
  checkValueBytes(bytes);
  auto& elems = mutableElems();
  reserveMore(elems, 1);
  elems.push_back(std::move(e));
  h_->bytes = bytes;
}

void Value::append(const Value& v) {
  size_t n = v.size();
  if (n == 0) return;
  if (empty() || isUndefined()) {
    *this = v;
    return;
  }
  checkTupleLength(size() + n);
  size_t bytes = this->bytes() + v.bytes();
  checkValueBytes(bytes);
  auto& elems = mutableElems();
  reserveMore(elems, n);
  if (&v == this) {
    for (size_t i = 0, old = elems.size(); i < old; ++i) elems.push_back(elems[i]);
  } else {
    for (size_t i = 0; i < n; ++i) elems.push_back(v.elementAt(i));
  }
  h_->bytes = bytes;
}

void Value::setAt(size_t i, Element e) {
  size_t n = isUndefined() ? 0 : size();
  if (i == 0 && n <= 1) {
    *this = ofElement(std::move(e));
    return;
  }
  checkTupleLength(i + 1);
  size_t old = i < n ? elementBytes(h_->elems[i]) : 0;  // i < n >= 2: a heap block
  size_t gap = i > n ? i - n : 0;
  size_t bytes = this->bytes() - old + elementBytes(e) + gap * sizeof(Element);
  checkValueBytes(bytes);
  auto& elems = mutableElems();
  if (i >= elems.size()) {
    reserveMore(elems, i + 1 - elems.size());
    elems.resize(i + 1, Element(int64_t{0}));
  }
  elems[i] = std::move(e);
  h_->bytes = bytes;
}

bool Value::appendToOwnText(std::string_view more) {
  if (kind_ != Kind::Heap || h_->elems.size() != 1 || h_->elems[0].index() != 2 ||
      h_->refs.load(std::memory_order_acquire) != 1)
    return false;
  size_t bytes = h_->bytes + more.size();
  checkValueBytes(bytes);
  std::get<2>(h_->elems[0]).append(more);
  h_->bytes = bytes;
  return true;
}

std::vector<Element> Value::elements() const {
  std::vector<Element> out;
  size_t n = isUndefined() ? 0 : size();
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) out.push_back(elementAt(i));
  return out;
}

}  // namespace standin
