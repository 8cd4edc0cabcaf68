// Shared libraries (DLLs) loaded at run time, the process's library search directory and the
// path of the running program.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "system_error.h"

namespace Velotrax::os {

// One loaded library, unloaded when its owner goes unless it was kept. Move-only.
class Module {
 public:
  Module();
  ~Module();
  Module(Module&& other) noexcept;
  Module& operator=(Module&& other) noexcept;
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // Loads a library by bare file name: the program's directory, the library search directory,
  // then the system's own search.
  static OsResult<Module> loadByName(const std::string& fileName);
  // Loads the library at `path`. The libraries it depends on are searched like by-name loads.
  static OsResult<Module> loadByPath(const std::string& path);

  explicit operator bool() const;
  // The full path the library was loaded from, as far as the system can tell.
  OsResult<std::string> path() const;
  // The address of an exported symbol, or null.
  void* symbol(const char* name) const;
  // From now on the owner never unloads the library: it stays until the process ends.
  void keepLoaded();
  // Unloads the library now, kept or not.
  void unload();

  // The platform's own representation, defined and built only by its implementation file.
  struct Impl;
  explicit Module(std::unique_ptr<Impl> impl);

 private:
  std::unique_ptr<Impl> impl_;
};

// Makes `directory` the process's library search directory (consulted after the program's own
// directory).
std::optional<OsFailure> setDllDirectory(const std::string& directory);

// The full path of the running program.
std::string executablePath();

}  // namespace Velotrax::os
