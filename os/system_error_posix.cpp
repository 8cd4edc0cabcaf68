#include <cerrno>
#include <cstring>

#include "system_error.h"

namespace Velotrax::os {

std::string errorText(long code) {
  return code == 0 ? std::string() : std::string(std::strerror(static_cast<int>(code)));
}

std::string lastErrorText() {
  return errorText(errno);
}

long lastErrorCode() {
  return errno;
}

OsFailure lastFailure(std::string step) {
  const long code = lastErrorCode();
  return OsFailure{std::move(step), code, errorText(code)};
}

}  // namespace Velotrax::os
