#include "hde_exception.h"

#include <sstream>

#include "engine_client.h"

namespace Velotrax {

const char* engineErrorTypeName(int32_t type) {
  switch (type) {
    case 0:
      return "user";
    case 1:
      return "HException";
    case 2:
      return "HDevEngineException";
    default:
      return "unknown";
  }
}

std::string engineErrorReport(const EngineErrorRecord& record) {
  std::ostringstream report;
  if (record.procName) report << "proc name: \"" << record.procName << "\" ";
  if (record.progLineName) report << "progLineName: \"" << record.progLineName << "\" ";
  report << "error code: " << record.errorCode << " ";
  if (record.message) report << "message: \"" << record.message << "\" ";
  if (record.extendedErrorInfo)
    report << "extended error info: \"" << record.extendedErrorInfo << "\" ";
  report << "prog line: " << record.progLine << " ";
  report << "type: \"" << engineErrorTypeName(record.type) << "\" ";
  return report.str();
}

HDEException::HDEException(EngineErrorRecord* record)
    : HDEException(std::shared_ptr<EngineErrorRecord>(
          record, [](EngineErrorRecord* owned) { engineClient().hclearErrorMsg(owned); })) {}

HDEException::HDEException(std::shared_ptr<EngineErrorRecord> record)
    : std::runtime_error(engineErrorReport(*record)), record_(std::move(record)) {}

}  // namespace Velotrax
