// A shared library loaded by path at run time, as the runner loads the bridge.
#pragma once

#include <memory>
#include <string>

class SharedLibrary {
 public:
  // Loads the library; throws std::runtime_error with the system's reason on failure.
  static std::unique_ptr<SharedLibrary> load(const std::string& path);
  virtual ~SharedLibrary() = default;
  // The address of an exported name, or null when the library has no such export.
  virtual void* symbol(const char* name) const = 0;
};
