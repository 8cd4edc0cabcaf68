#include <cerrno>
#include <cstring>

#include "system_error.h"

namespace Velotrax::os {

std::string lastErrorText() {
  const int code = errno;
  return code == 0 ? std::string() : std::string(std::strerror(code));
}

long lastErrorCode() {
  return errno;
}

}  // namespace Velotrax::os
