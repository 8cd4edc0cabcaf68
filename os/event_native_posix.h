// The POSIX event: an eventfd, readable while signalled.
#pragma once

#include "event.h"
#include "unique_fd_posix.h"

namespace Velotrax::os {

struct Event::Native {
  UniqueFd fd;
  // Takes a pending signal, if any, without blocking.
  void consume();
};

}  // namespace Velotrax::os
