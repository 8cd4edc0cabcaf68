#include <windows.h>

#include <stdexcept>

#include "shared_library.h"

namespace {

class Win32Library final : public SharedLibrary {
 public:
  explicit Win32Library(HMODULE module) : module_(module) {}
  ~Win32Library() override { FreeLibrary(module_); }
  Win32Library(const Win32Library&) = delete;
  Win32Library& operator=(const Win32Library&) = delete;

  void* symbol(const char* name) const override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_;
};

}  // namespace

std::unique_ptr<SharedLibrary> SharedLibrary::load(const std::string& path) {
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, 0);
  if (!module)
    throw std::runtime_error("cannot load " + path + ": error " + std::to_string(GetLastError()));
  return std::make_unique<Win32Library>(module);
}
