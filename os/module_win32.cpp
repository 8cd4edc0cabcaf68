#include <windows.h>

#include "module.h"

namespace Velotrax::os {

struct Module::Impl {
  explicit Impl(HMODULE library) : handle(library) {}
  ~Impl() {
    if (handle && !kept) FreeLibrary(handle);
  }
  HMODULE handle;
  bool kept = false;
};

namespace {

// GetModuleFileNameA with a buffer that grows by 260 characters while the name fills it.
std::string moduleFileName(HMODULE module) {
  std::string name;
  for (DWORD size = MAX_PATH;; size += MAX_PATH) {
    name.resize(size);
    const DWORD length = GetModuleFileNameA(module, name.data(), size);
    if (length == 0) return {};
    if (length < size) return name.substr(0, length);
  }
}

Module load(const std::string& name, OsFailure& failure) {
  HMODULE handle = LoadLibraryExA(name.c_str(), nullptr, 0);
  if (!handle) {
    failure = OsFailure{"", lastErrorCode(), lastErrorText()};
    return {};
  }
  return Module(std::make_unique<Module::Impl>(handle));
}

}  // namespace

Module::Module() = default;
Module::Module(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Module::~Module() = default;
Module::Module(Module&& other) noexcept = default;
Module& Module::operator=(Module&& other) noexcept = default;

Module Module::loadByName(const std::string& fileName, OsFailure& failure) {
  return load(fileName, failure);
}

Module Module::loadByPath(const std::string& path, OsFailure& failure) {
  return load(path, failure);
}

Module::operator bool() const {
  return impl_ && impl_->handle;
}

std::string Module::path(OsFailure& failure) const {
  std::string name = impl_ ? moduleFileName(impl_->handle) : std::string();
  if (name.empty()) failure = OsFailure{"", lastErrorCode(), lastErrorText()};
  return name;
}

void* Module::symbol(const char* name) const {
  return impl_ ? reinterpret_cast<void*>(GetProcAddress(impl_->handle, name)) : nullptr;
}

void Module::keepLoaded() {
  if (impl_) impl_->kept = true;
}

void Module::unload() {
  if (impl_) impl_->kept = false;
  impl_.reset();
}

bool setDllDirectory(const std::string& directory, OsFailure& failure) {
  if (SetDllDirectoryA(directory.c_str())) return true;
  failure = OsFailure{"", lastErrorCode(), lastErrorText()};
  return false;
}

std::string executablePath() {
  return moduleFileName(nullptr);
}

}  // namespace Velotrax::os
