#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include "standard_output.h"

namespace Velotrax::os {

void holdStandardDescriptors() {
  // Without a standard handle the runtime library leaves its descriptor unopened, and its next
  // open would hand out that number. Read-only NUL reads as empty, and writing to it fails with
  // EBADF, as on the missing descriptor.
  const DWORD kHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  for (int fd = 0; fd <= 2; ++fd) {
    const HANDLE handle = GetStdHandle(kHandles[fd]);
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) continue;
    const int held = _open("NUL", _O_RDONLY | _O_BINARY);
    if (held >= 0 && held != fd) {
      _dup2(held, fd);
      _close(held);
    }
  }
}

}  // namespace Velotrax::os
