// HalconCpp system operators on top of the library core.

#include "access.h"
#include "errors.h"
#include "fault_injection.h"
#include "system_state.h"
#include "tuple_arithmetic.h"
#include "user_threads.h"

namespace HalconCpp {

using standin::Value;

void SetSystem(const HTuple& systemParameter, const HTuple& value) {
  standin::throwArmedLibraryFault("set_system");
  standin::setSystem(HTupleAccess::value(systemParameter), HTupleAccess::value(value));
}

void GetSystem(const HTuple& query, HTuple* information) {
  standin::throwArmedLibraryFault("get_system");
  HTuple result = HTupleAccess::make(standin::getSystem(HTupleAccess::value(query)));
  if (information) *information = std::move(result);
}

HTuple GetSystem(const HTuple& query) {
  HTuple result;
  GetSystem(query, &result);
  return result;
}

void GetErrorText(const HTuple& errorCode, HTuple* errorMessage) {
  int64_t code = standin::scalarInt(HTupleAccess::value(errorCode), 1, "get_error_text");
  if (errorMessage) *errorMessage = HTuple(standin::errorText(static_cast<int>(code)).c_str());
}

void GetExtendedErrorInfo(HTuple* operatorName, HTuple* errorCode, HTuple* errorMessage) {
  standin::ExtendedInfo info = standin::extendedInfo();
  if (operatorName) *operatorName = HTuple(info.op.c_str());
  if (errorCode) *errorCode = HTuple(info.code);
  if (errorMessage) *errorMessage = HTuple(info.message.c_str());
}

void WaitSeconds(const HTuple& seconds) {
  standin::throwArmedLibraryFault("wait_seconds");
  double s = standin::scalarNumber(HTupleAccess::value(seconds), 1, "wait_seconds");
  if (s < 0) {
    standin::reportLowLevelError("wait_seconds: negative time treated as 0");
    return;
  }
  if (s > 3600) standin::raise("wait_seconds", standin::err::kWrongValue + 1);
  standin::librarySleep(s);
}

}  // namespace HalconCpp
