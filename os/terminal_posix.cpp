#include "terminal_posix.h"

#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace Velotrax::os {

namespace {
bool setAndNotEmpty(const char* value) {
  return value != nullptr && *value != '\0';
}
}  // namespace

bool colourWanted(int fd) {
  if (setAndNotEmpty(std::getenv("NO_COLOR"))) return false;
  const char* force = std::getenv("CLICOLOR_FORCE");
  if (setAndNotEmpty(force) && std::strcmp(force, "0") != 0) return true;
  return isatty(fd) == 1;
}

}  // namespace Velotrax::os
