// The same on both platforms: the runtime library's _exit (unistd.h has it on MinGW too).
#include <unistd.h>

#include <cstdio>

#include "process.h"

namespace Velotrax::os {

void exitNow(int status) {
  std::fflush(stdout);
  std::fflush(stderr);
  _exit(status);
}

}  // namespace Velotrax::os
