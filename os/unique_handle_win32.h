// Move-only owner of a Win32 kernel handle.
#pragma once

#include <windows.h>

#include <utility>

namespace Velotrax::os {

class UniqueHandle {
 public:
  UniqueHandle() = default;
  // Both null and INVALID_HANDLE_VALUE mean "no handle", as the creating calls return either.
  explicit UniqueHandle(HANDLE handle)
      : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ~UniqueHandle() { reset(); }

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // Gives up ownership, for a caller that closes the handle itself and checks the result.
  HANDLE release() { return std::exchange(handle_, nullptr); }
  void reset() {
    if (handle_) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace Velotrax::os
