#include <cerrno>
#include <cstdlib>

#include "environment.h"

namespace Velotrax::os {

std::string getEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

std::optional<OsFailure> setEnvironment(const std::string& name, const std::string& value) {
  errno = 0;
  if (::setenv(name.c_str(), value.c_str(), 1) == 0) return std::nullopt;
  return lastFailure("setenv");
}

}  // namespace Velotrax::os
