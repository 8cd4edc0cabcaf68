#include <cstdio>
#include <cstdlib>

#include "process.h"

namespace Velotrax::os {

void exitNow(int status) {
  std::fflush(stdout);
  std::fflush(stderr);
  _exit(status);
}

}  // namespace Velotrax::os
