#include "error_records.h"

#include <cstdlib>
#include <cstring>

namespace brimlet {

namespace {

// The code of a failure that is neither a vision-library nor an engine exception; the vision
// library gives it a text of its own.
constexpr int kUnexpectedFailureCode = 21090;

// Returned when not even a record can be allocated, so that the failure is still reported.
// Never freed: its texts are static too.
char outOfMemoryText[] = "out of memory";
EngineErrorRecord outOfMemory{1,  nullptr,         nullptr, kUnexpectedFailureCode,
                              -1, outOfMemoryText, nullptr, nullptr};

EngineErrorRecord* newRecord(int32_t type) {
  auto* record = static_cast<EngineErrorRecord*>(std::calloc(1, sizeof(EngineErrorRecord)));
  if (record) record->type = type;
  return record;
}

// The library's standard text and extended information, read right after the exception was
// caught; a failure leaves the field null.
void addErrorTexts(EngineErrorRecord* record) noexcept {
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

char* copyText(const char* text) noexcept {
  if (!text) return nullptr;
  const size_t length = std::strlen(text);
  auto* copy = static_cast<char*>(std::calloc(length + 1, 1));
  if (copy) std::memcpy(copy, text, length + 1);
  return copy;
}

EngineErrorRecord* recordFrom(const HalconCpp::HException& e) noexcept {
  EngineErrorRecord* record = newRecord(1);
  if (!record) return &outOfMemory;
  record->procName = copyText(e.ProcName().Text());
  record->errorCode = e.ErrorCode();
  record->message = copyText(e.ErrorMessage().Text());
  record->progLine = -1;
  addErrorTexts(record);
  return record;
}

EngineErrorRecord* recordFrom(const HDevEngineCpp::HDevEngineException& e) noexcept {
  EngineErrorRecord* record = newRecord(2);
  if (!record) return &outOfMemory;
  record->procName = copyText(e.ExecProcedureName());
  record->errorCode = e.HalconErrorCode();
  record->message = copyText(e.Message());
  record->progLineName = copyText(e.ProgLineName());
  record->progLine = e.ProgLineNum();
  addErrorTexts(record);
  return record;
}

EngineErrorRecord* recordFromUnexpected(const char* exportName, const char* message) noexcept {
  EngineErrorRecord* record = newRecord(1);
  if (!record) return &outOfMemory;
  record->procName = copyText(exportName);
  record->errorCode = kUnexpectedFailureCode;
  record->message = copyText(message);
  record->progLine = -1;
  addErrorTexts(record);
  return record;
}

void releaseRecord(EngineErrorRecord* record) noexcept {
  if (!record || record == &outOfMemory) return;
  std::free(record->procName);
  std::free(record->progLineName);
  std::free(record->message);
  std::free(record->errorText);
  std::free(record->extendedErrorInfo);
  std::free(record);
}

}  // namespace brimlet
