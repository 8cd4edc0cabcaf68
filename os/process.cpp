// The same on both platforms: the runtime library's _exit (unistd.h has it on MinGW too).
#include <unistd.h>

#include <cstdio>

#include "process.h"
#include "standard_output.h"

namespace Velotrax::os {

void exitNow(int status) {
  if (!flushStandardOutput()) status = 1;
  std::fflush(stderr);
  _exit(status);
}

}  // namespace Velotrax::os
