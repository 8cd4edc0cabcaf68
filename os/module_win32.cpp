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

// Loading is not traced: its failures name no step.
OsResult<Module> load(const std::string& name) {
  HMODULE handle = LoadLibraryExA(name.c_str(), nullptr, 0);
  if (!handle) return lastFailure("");
  return Module(std::make_unique<Module::Impl>(handle));
}

}  // namespace

Module::Module() = default;
Module::Module(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Module::~Module() = default;
Module::Module(Module&& other) noexcept = default;
Module& Module::operator=(Module&& other) noexcept = default;

OsResult<Module> Module::loadByName(const std::string& fileName) {
  return load(fileName);
}

OsResult<Module> Module::loadByPath(const std::string& path) {
  return load(path);
}

Module::operator bool() const {
  return impl_ && impl_->handle;
}

OsResult<std::string> Module::path() const {
  std::string name = impl_ ? moduleFileName(impl_->handle) : std::string();
  if (name.empty()) return lastFailure("");
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

std::optional<OsFailure> setDllDirectory(const std::string& directory) {
  if (SetDllDirectoryA(directory.c_str())) return std::nullopt;
  return lastFailure("");
}

std::string executablePath() {
  return moduleFileName(nullptr);
}

}  // namespace Velotrax::os
