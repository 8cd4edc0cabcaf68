#include <cstdlib>

#include <windows.h>

#include "environment.h"

namespace Velotrax::os {

std::string getEnvironment(const std::string& name) {
  char* value = nullptr;
  size_t length = 0;
  if (_dupenv_s(&value, &length, name.c_str()) != 0 || value == nullptr) return {};
  std::string result(value);
  std::free(value);
  return result;
}

std::optional<OsFailure> setEnvironment(const std::string& name, const std::string& value) {
  // The Win32 block is what child processes inherit; the runtime's copy is what getenv reads.
  if (!SetEnvironmentVariableA(name.c_str(), value.c_str()))
    return lastFailure("SetEnvironmentVariable");
  _putenv_s(name.c_str(), value.c_str());
  return std::nullopt;
}

}  // namespace Velotrax::os
