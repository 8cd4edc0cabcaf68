// MinGW links against msvcrt.dll, whose import library (and Wine's msvcrt) lacks _dupenv_s.
// This supplies it under the import name the runtime headers refer to, with the same contract:
// a heap copy the caller frees with free(), or null when the variable is not set.
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

errno_t __cdecl dupenvCopy(char** buffer, size_t* length, const char* name) {
  if (buffer == nullptr || name == nullptr) return EINVAL;
  *buffer = nullptr;
  if (length) *length = 0;
  const char* value = std::getenv(name);
  if (value == nullptr) return 0;
  const size_t size = std::strlen(value) + 1;
  *buffer = static_cast<char*>(std::malloc(size));
  if (*buffer == nullptr) return ENOMEM;
  std::memcpy(*buffer, value, size);
  if (length) *length = size;
  return 0;
}

}  // namespace

extern "C" {
errno_t(__cdecl* __imp__dupenv_s)(char**, size_t*, const char*) = dupenvCopy;
}
