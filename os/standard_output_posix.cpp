#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "standard_output.h"
#include "unique_fd_posix.h"

namespace Velotrax::os {

void holdStandardDescriptors() {
  // In order, so the lowest free number open returns is the missing one. Read-only /dev/null
  // reads as empty, and writing to it fails with EBADF, as on the closed descriptor.
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    UniqueFd held(::open("/dev/null", O_RDONLY));
    if (held.get() == fd) held.release();  // kept open for the rest of the process
  }
}

}  // namespace Velotrax::os
