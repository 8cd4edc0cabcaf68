#include <windows.h>

#include "system_error.h"

namespace Velotrax::os {

std::string errorText(long code) {
  if (code == 0) return {};
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text(buffer ? buffer : "", length);
  LocalFree(buffer);
  return text;
}

std::string lastErrorText() {
  return errorText(lastErrorCode());
}

long lastErrorCode() {
  return static_cast<long>(GetLastError());
}

OsFailure lastFailure(std::string step) {
  const long code = lastErrorCode();
  return OsFailure{std::move(step), code, errorText(code)};
}

}  // namespace Velotrax::os
