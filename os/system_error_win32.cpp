#include <windows.h>

#include "system_error.h"

namespace Velotrax::os {

std::string lastErrorText() {
  const DWORD code = GetLastError();
  if (code == 0) return {};
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0,
      nullptr);
  std::string text(buffer ? buffer : "", length);
  LocalFree(buffer);
  return text;
}

long lastErrorCode() {
  return static_cast<long>(GetLastError());
}

}  // namespace Velotrax::os
