// Engine failures on the runner side: the exception that owns a bridge error record, and its
// one-line report.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "brimlet_exports.h"

namespace Velotrax {

// The name of an error record's type: "HException", "HDevEngineException", ...
const char* engineErrorTypeName(int32_t type);

// The one-line report of an error record; ends with a space.
std::string engineErrorReport(const EngineErrorRecord& record);

// Owns one error record and releases it through the bridge exactly once, however often the
// exception is copied. what() is the record's report.
class HDEException : public std::runtime_error {
 public:
  explicit HDEException(EngineErrorRecord* record);
  const EngineErrorRecord& record() const { return *record_; }

 private:
  // The record is owned before the report is built, so a failing report still releases it.
  explicit HDEException(std::shared_ptr<EngineErrorRecord> record);
  std::shared_ptr<EngineErrorRecord> record_;
};

}  // namespace Velotrax
