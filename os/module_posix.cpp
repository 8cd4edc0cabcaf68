// Libraries through the dynamic loader. Windows resolves a DLL's imports from the program's
// directory and the DLL search directory; here the loader reads a library's dependencies and
// loads those found in the same two directories first, globally, so that glibc matches them by
// their SONAME when the library itself is loaded. Nothing comes from a path fixed at build time.
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <utility>
#include <vector>

#include "elf_needed_posix.h"
#include "module.h"

namespace Velotrax::os {

struct Module::Impl {
  explicit Impl(void* library) : handle(library) {}
  ~Impl() {
    if (handle && !kept) ::dlclose(handle);
  }
  std::vector<Module> dependencies;  // loaded for this library from the search directories
  void* handle;
  bool kept = false;
};

namespace {

std::string& dllDirectory() {
  static std::string directory;
  return directory;
}

const std::string& executableDirectory() {
  static const std::string directory = [] {
    const std::string path = executablePath();
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
  }();
  return directory;
}

bool isFile(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

// The program's directory, then the library search directory.
std::string findInSearchDirectories(const std::string& fileName) {
  for (const std::string* directory : {&executableDirectory(), &std::as_const(dllDirectory())}) {
    if (directory->empty()) continue;
    const std::string candidate = *directory + "/" + fileName;
    if (isFile(candidate)) return candidate;
  }
  return {};
}

// glibc's dlopen does not always leave an errno behind: a file that is there but does not load
// is then a bad library, a name the search did not find a missing file. Loading is not traced,
// as on Windows.
OsFailure loaderFailure(int code, int fallback) {
  const char* text = ::dlerror();
  return OsFailure{"", code ? code : fallback, text ? text : ""};
}

// Loads, depth first, the dependencies of `path` that lie in the search directories. A library
// the loader must not be given fails as the loader fails: a truncated copy would be mapped past
// its end and fault when touched, a FIFO would block.
std::optional<OsFailure> loadDependencies(const std::string& path, std::vector<Module>& loaded,
                                          std::set<std::string>& seen) {
  for (const std::string& name : neededLibraries(path)) {
    if (!seen.insert(name).second) continue;
    // One already loaded from there is found again by the loader, at the cost of a reference.
    const std::string candidate = findInSearchDirectories(name);
    if (candidate.empty()) continue;  // left to the system's search
    if (std::optional<OsFailure> failure = libraryFileProblem(candidate)) return failure;
    if (std::optional<OsFailure> failure = loadDependencies(candidate, loaded, seen))
      return failure;
    errno = 0;
    void* handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!handle) return loaderFailure(errno, ELIBBAD);
    loaded.push_back(Module(std::make_unique<Module::Impl>(handle)));
  }
  return std::nullopt;
}

}  // namespace

Module::Module() = default;
Module::Module(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Module::~Module() = default;
Module::Module(Module&& other) noexcept = default;
Module& Module::operator=(Module&& other) noexcept = default;

OsResult<Module> Module::loadByName(const std::string& fileName) {
  if (fileName.find('/') != std::string::npos) return loadByPath(fileName);
  const std::string candidate = findInSearchDirectories(fileName);
  if (!candidate.empty()) return loadByPath(candidate);
  ::dlerror();
  errno = 0;
  void* handle = ::dlopen(fileName.c_str(), RTLD_NOW);
  if (!handle) return loaderFailure(errno, ENOENT);
  return Module(std::make_unique<Impl>(handle));
}

OsResult<Module> Module::loadByPath(const std::string& path) {
  // A name without a slash would send dlopen searching.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  ::dlerror();
  std::vector<Module> dependencies;
  std::set<std::string> seen;
  if (std::optional<OsFailure> failure = libraryFileProblem(file)) return *failure;
  if (std::optional<OsFailure> failure = loadDependencies(file, dependencies, seen))
    return *failure;
  errno = 0;
  void* handle = ::dlopen(file.c_str(), RTLD_NOW);
  if (!handle) return loaderFailure(errno, isFile(file) ? ELIBBAD : ENOENT);
  auto impl = std::make_unique<Impl>(handle);
  impl->dependencies = std::move(dependencies);
  return Module(std::move(impl));
}

Module::operator bool() const {
  return impl_ && impl_->handle;
}

OsResult<std::string> Module::path() const {
  struct link_map* map = nullptr;
  errno = 0;
  if (!impl_ || ::dlinfo(impl_->handle, RTLD_DI_LINKMAP, &map) != 0 || !map) {
    const char* text = ::dlerror();
    return OsFailure{"", errno, text ? text : ""};  // not traced, as on Windows
  }
  return std::string(map->l_name ? map->l_name : "");
}

void* Module::symbol(const char* name) const {
  return impl_ ? ::dlsym(impl_->handle, name) : nullptr;
}

void Module::keepLoaded() {
  if (!impl_) return;
  impl_->kept = true;
  for (Module& dependency : impl_->dependencies) dependency.keepLoaded();
}

void Module::unload() {
  if (!impl_) return;
  for (Module& dependency : impl_->dependencies) dependency.impl_->kept = false;
  impl_->kept = false;
  impl_.reset();
}

std::optional<OsFailure> setDllDirectory(const std::string& directory) {
  dllDirectory() = directory;
  return std::nullopt;
}

std::string executablePath() {
  std::string path(256, '\0');
  while (true) {
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0) return {};
    if (static_cast<size_t>(length) < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);
  }
}

}  // namespace Velotrax::os
