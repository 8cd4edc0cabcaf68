// HDevProgram, HDevProcedure and their call classes.
#include "HDevEngineCpp.h"
#include "access.h"
#include "errors.h"
#include "executor.h"

namespace HDevEngineCpp {

using standin::engine::CallData;
using standin::engine::LoadedScript;
namespace err = standin::err;

struct ProgramImpl {
  LoadedScript script;
};
struct ProcedureImpl {
  LoadedScript script;
};
struct CallImpl {
  LoadedScript script;
  CallData data;
};

namespace {

[[noreturn]] void badIndex(const char* what, int index) {
  throw HDevEngineException(
      (std::string(what) + ": parameter index " + std::to_string(index) + " out of range").c_str(),
      err::kParamIndex, "", "", -1);
}

const standin::engine::Param& param(const std::vector<standin::engine::Param>& list, int index,
                                    const char* what) {
  if (index < 1 || static_cast<size_t>(index) > list.size()) badIndex(what, index);
  return list[static_cast<size_t>(index - 1)];
}

}  // namespace

HDevProgram::HDevProgram(const char* fileName)
    : impl_(std::make_shared<ProgramImpl>(
          ProgramImpl{standin::engine::loadProgram(fileName ? fileName : "")})) {}
HDevProgram::~HDevProgram() = default;
HDevProgram::HDevProgram(const HDevProgram&) = default;
HDevProgram& HDevProgram::operator=(const HDevProgram&) = default;

HDevProgramCall::HDevProgramCall(const HDevProgram& program)
    : impl_(std::make_unique<CallImpl>(CallImpl{program.impl_->script, {}})) {}
HDevProgramCall::~HDevProgramCall() = default;
void HDevProgramCall::Execute() {
  standin::engine::executeScript(impl_->script, impl_->data);
}

HDevProcedure::HDevProcedure(const char* procedureName)
    : impl_(std::make_shared<ProcedureImpl>(
          ProcedureImpl{standin::engine::loadProcedure(procedureName ? procedureName : "")})) {}
HDevProcedure::~HDevProcedure() = default;
HDevProcedure::HDevProcedure(const HDevProcedure&) = default;
HDevProcedure& HDevProcedure::operator=(const HDevProcedure&) = default;

#define STANDIN_SIGNATURE(Kind, list)                                                       \
  int HDevProcedure::Get##Kind##ParamCount() const {                                        \
    return static_cast<int>(impl_->script.entry->list.size());                              \
  }                                                                                         \
  const char* HDevProcedure::Get##Kind##ParamName(int index) const {                        \
    return param(impl_->script.entry->list, index, "Get" #Kind "ParamName").name.c_str();   \
  }                                                                                         \
  int HDevProcedure::Get##Kind##ParamDimension(int index) const {                           \
    return param(impl_->script.entry->list, index, "Get" #Kind "ParamDimension").dimension; \
  }
STANDIN_SIGNATURE(InputIconic, iconicIn)
STANDIN_SIGNATURE(OutputIconic, iconicOut)
STANDIN_SIGNATURE(InputCtrl, ctrlIn)
STANDIN_SIGNATURE(OutputCtrl, ctrlOut)
#undef STANDIN_SIGNATURE

HDevProcedureCall::HDevProcedureCall(const HDevProcedure& procedure)
    : impl_(std::make_unique<CallImpl>(CallImpl{procedure.impl_->script, {}})) {
  const auto& p = *impl_->script.entry;
  impl_->data.ctrlIn.resize(p.ctrlIn.size());
  impl_->data.iconicIn.resize(p.iconicIn.size());
}
HDevProcedureCall::~HDevProcedureCall() = default;

void HDevProcedureCall::SetInputCtrlParamTuple(int index, const HTuple& value) {
  param(impl_->script.entry->ctrlIn, index, "SetInputCtrlParamTuple");
  impl_->data.ctrlIn[static_cast<size_t>(index - 1)] = HalconCpp::HTupleAccess::value(value);
}

void HDevProcedureCall::SetInputIconicParamObject(int index, const HObject& object) {
  param(impl_->script.entry->iconicIn, index, "SetInputIconicParamObject");
  impl_->data.iconicIn[static_cast<size_t>(index - 1)] = HalconCpp::HObjectAccess::object(object);
}

void HDevProcedureCall::Execute() {
  standin::engine::executeScript(impl_->script, impl_->data);
}

HTuple HDevProcedureCall::GetOutputCtrlParamTuple(int index) const {
  param(impl_->script.entry->ctrlOut, index, "GetOutputCtrlParamTuple");
  if (static_cast<size_t>(index) > impl_->data.ctrlOut.size()) return HTuple();  // not executed yet
  return HalconCpp::HTupleAccess::make(impl_->data.ctrlOut[static_cast<size_t>(index - 1)]);
}

HObject HDevProcedureCall::GetOutputIconicParamObject(int index) const {
  param(impl_->script.entry->iconicOut, index, "GetOutputIconicParamObject");
  HObject out;
  if (static_cast<size_t>(index) <= impl_->data.iconicOut.size())
    HalconCpp::HObjectAccess::object(out) = impl_->data.iconicOut[static_cast<size_t>(index - 1)];
  return out;
}

}  // namespace HDevEngineCpp
