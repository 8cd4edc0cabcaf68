// Objects the library keeps for scripts (open files, windows), known by integer handles that
// are numbered from a first value and looked up under one lock.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

#include "errors.h"

namespace standin {

template <typename T>
class HandleTable {
 public:
  // unknownCode is the error an unknown handle raises.
  HandleTable(int64_t firstHandle, int unknownCode) : next_(firstHandle), unknown_(unknownCode) {}

  int64_t add(T item) {
    std::lock_guard<std::mutex> guard(lock_);
    const int64_t handle = next_++;
    items_.emplace(handle, std::move(item));
    return handle;
  }

  // Runs fn on the item under the lock.
  template <typename Fn>
  void with(int64_t handle, const char* op, Fn fn) {
    std::lock_guard<std::mutex> guard(lock_);
    fn(find(handle, op)->second);
  }

  // Runs last on the item, then forgets it.
  template <typename Fn>
  void remove(int64_t handle, const char* op, Fn last) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = find(handle, op);
    last(it->second);
    items_.erase(it);
  }

  // Forgets the item and hands it to the caller.
  T take(int64_t handle, const char* op) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = find(handle, op);
    T item = std::move(it->second);
    items_.erase(it);
    return item;
  }

 private:
  typename std::map<int64_t, T>::iterator find(int64_t handle, const char* op) {
    auto it = items_.find(handle);
    if (it == items_.end()) raise(op, unknown_);
    return it;
  }

  std::mutex lock_;
  std::map<int64_t, T> items_;
  int64_t next_;
  const int unknown_;
};

}  // namespace standin
