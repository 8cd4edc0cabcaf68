// C interface of the stand-in library: plain functions over the core.
#include <cstring>

#include "HalconCpp.h"
#include "errors.h"

extern "C" {

// Copies the standard text of an error code into buffer (at most size bytes,
// NUL-terminated); returns H_MSG_TRUE.
Herror get_error_text(Herror code, char* buffer, int size) {
  if (!buffer || size <= 0) return H_MSG_TRUE;
  std::string text = standin::errorText(code);
  std::strncpy(buffer, text.c_str(), static_cast<size_t>(size) - 1);
  buffer[size - 1] = '\0';
  return H_MSG_TRUE;
}
}
