#include "error_records.h"

#include <cstdlib>
#include <cstring>

namespace brimlet {

namespace {

// Not a vision-library code: the stand-in and the vendor's library give it a text of its own.
constexpr int kUnexpectedFailureCode = 21024;

EngineErrorRecord* newRecord(int32_t type) {
  auto* record = static_cast<EngineErrorRecord*>(std::calloc(1, sizeof(EngineErrorRecord)));
  if (record) record->type = type;
  return record;
}

// The library's standard text and extended information, read right after the exception was
// caught; a failure leaves the field null.
void addErrorTexts(EngineErrorRecord* record) {
  try {
    HalconCpp::HTuple text;
    HalconCpp::GetErrorText(record->errorCode, &text);
    if (text.Length() > 0) record->errorText = copyText(text[0].S().Text());
  } catch (...) {
  }
  try {
    HalconCpp::HTuple op, code, message;
    HalconCpp::GetExtendedErrorInfo(&op, &code, &message);
    if (code.Length() > 0 && code[0].L() != 0 && message.Length() > 0)
      record->extendedErrorInfo = copyText(message[0].S().Text());
  } catch (...) {
  }
}

}  // namespace

char* copyText(const char* text) {
  if (!text) return nullptr;
  const size_t length = std::strlen(text);
  auto* copy = static_cast<char*>(std::calloc(length + 1, 1));
  if (copy) std::memcpy(copy, text, length + 1);
  return copy;
}

EngineErrorRecord* recordFrom(const HalconCpp::HException& e) {
  EngineErrorRecord* record = newRecord(1);
  if (!record) return nullptr;
  record->procName = copyText(e.ProcName().Text());
  record->errorCode = e.ErrorCode();
  record->message = copyText(e.ErrorMessage().Text());
  record->progLine = -1;
  addErrorTexts(record);
  return record;
}

EngineErrorRecord* recordFrom(const HDevEngineCpp::HDevEngineException& e) {
  EngineErrorRecord* record = newRecord(2);
  if (!record) return nullptr;
  record->procName = copyText(e.ExecProcedureName());
  record->errorCode = e.HalconErrorCode();
  record->message = copyText(e.Message());
  record->progLineName = copyText(e.ProgLineName());
  record->progLine = e.ProgLineNum();
  addErrorTexts(record);
  return record;
}

EngineErrorRecord* recordFromUnexpected(const char* exportName, const char* message) {
  EngineErrorRecord* record = newRecord(1);
  if (!record) return nullptr;
  record->procName = copyText(exportName);
  record->errorCode = kUnexpectedFailureCode;
  record->message = copyText(message);
  record->progLine = -1;
  addErrorTexts(record);
  return record;
}

void releaseRecord(EngineErrorRecord* record) {
  if (!record) return;
  std::free(record->procName);
  std::free(record->progLineName);
  std::free(record->message);
  std::free(record->errorText);
  std::free(record->extendedErrorInfo);
  std::free(record);
}

}  // namespace brimlet
