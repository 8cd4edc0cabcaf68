#include "errors.h"

#include "HalconCpp.h"
#include "system_state.h"

namespace standin {

std::string errorText(int code) {
#define STANDIN_NOTHING(...)
#define STANDIN_FAMILY_TEXT(base, name, text) \
  if (code > (base) && code < (base) + 100) return text ": " + std::to_string(code - (base));
  STANDIN_STATUS_LIST(STANDIN_NOTHING, STANDIN_FAMILY_TEXT, STANDIN_NOTHING)
#define STANDIN_OK_TEXT(code, text) \
  case code:                        \
    return text;
#define STANDIN_CODE_TEXT(code, name, text) STANDIN_OK_TEXT(code, text)
  switch (code) {
    STANDIN_STATUS_LIST(STANDIN_OK_TEXT, STANDIN_NOTHING, STANDIN_CODE_TEXT)
    default:
      return "Unknown error code " + std::to_string(code);
  }
#undef STANDIN_CODE_TEXT
#undef STANDIN_OK_TEXT
#undef STANDIN_FAMILY_TEXT
#undef STANDIN_NOTHING
}

void raise(const char* op, int code) {
  raise(op, code, errorText(code));
}

void raise(const char* op, int code, const std::string& message) {
  noteOperatorError(op, code, message);
  throw HalconCpp::HException(op, code, message.c_str());
}

}  // namespace standin
