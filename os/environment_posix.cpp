#include <cerrno>
#include <cstdlib>

#include "environment.h"
#include "system_error.h"

namespace Velotrax::os {

std::string getEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

bool setEnvironment(const std::string& name, const std::string& value, std::string* error) {
  errno = 0;
  if (::setenv(name.c_str(), value.c_str(), 1) == 0) return true;
  if (error) *error = lastErrorText();
  return false;
}

}  // namespace Velotrax::os
