// Programs and procedures: loaded, called with inputs, executed and read back.
#include <stdexcept>

#include "boundary.h"
#include "handles.h"

using brimlet::guarded;
using brimlet::handleFor;
using brimlet::object;
using HalconCpp::HTuple;
using HDevEngineCpp::HDevProcedure;
using HDevEngineCpp::HDevProcedureCall;
using HDevEngineCpp::HDevProgram;
using HDevEngineCpp::HDevProgramCall;

namespace {

// A null handle or text is refused at the boundary.
template <class T>
T& required(T* pointer) {
  if (!pointer) throw std::invalid_argument("null handle or text");
  return *pointer;
}

}  // namespace

extern "C" {

EngineErrorRecord* hcreateProgram(const char* fileName, ProgramHandle* program) {
  if (program) *program = nullptr;
  return guarded(__func__, [&] {
    auto* created = new HDevProgram(&required(fileName));
    if (program)
      *program = handleFor<ProgramHandle>(created);
    else
      delete created;
  });
}

void hfreeProgram(ProgramHandle program) {
  brimlet::destroy(program);
}

EngineErrorRecord* hcreateProgramCall(ProgramHandle program, ProgramCallHandle* call) {
  if (call) *call = nullptr;
  return guarded(__func__, [&] {
    auto* created = new HDevProgramCall(required(object(program)));
    if (call)
      *call = handleFor<ProgramCallHandle>(created);
    else
      delete created;
  });
}

void hfreeProgramCall(ProgramCallHandle call) {
  brimlet::destroy(call);
}

EngineErrorRecord* hprogramcallExecute(ProgramCallHandle call) {
  return guarded(__func__, [&] { required(object(call)).Execute(); });
}

EngineErrorRecord* hcreateProcedure(const char* name, ProcedureHandle* procedure) {
  if (procedure) *procedure = nullptr;
  return guarded(__func__, [&] {
    auto* created = new HDevProcedure(&required(name));
    if (procedure)
      *procedure = handleFor<ProcedureHandle>(created);
    else
      delete created;
  });
}

void hfreeProcedure(ProcedureHandle procedure) {
  brimlet::destroy(procedure);
}

EngineErrorRecord* hcreateProcedureCall(ProcedureHandle procedure, ProcedureCallHandle* call) {
  if (call) *call = nullptr;
  return guarded(__func__, [&] {
    auto* created = new HDevProcedureCall(required(object(procedure)));
    if (call)
      *call = handleFor<ProcedureCallHandle>(created);
    else
      delete created;
  });
}

void hfreeProcedureCall(ProcedureCallHandle call) {
  brimlet::destroy(call);
}

EngineErrorRecord* hprocedurecallExecute(ProcedureCallHandle call) {
  return guarded(__func__, [&] { required(object(call)).Execute(); });
}

EngineErrorRecord* hprocedurecallSetInputCtrlParamTuple(ProcedureCallHandle call, int32_t index,
                                                        TupleHandle tuple) {
  return guarded(__func__, [&] {
    required(object(call)).SetInputCtrlParamTuple(index, required(object(tuple)));
  });
}

EngineErrorRecord* hprocedurecallGetOutputCtrlParamTuple(ProcedureCallHandle call, int32_t index,
                                                         TupleHandle* tuple) {
  return guarded(__func__, [&] {
    const HTuple value = required(object(call)).GetOutputCtrlParamTuple(index);
    auto* copy = new HTuple(value.Clone());
    if (tuple)
      *tuple = handleFor<TupleHandle>(copy);
    else
      delete copy;
  });
}

// The twelve signature queries forward to the procedure's function of the same name.
#define BRIMLET_SIGNATURE_QUERIES(Direction, Kind)                                                 \
  EngineErrorRecord* hprocedureGet##Direction##Kind##ParamCount(ProcedureHandle procedure,         \
                                                                int32_t* count) {                  \
    return guarded(__func__, [&] {                                                                 \
      const int value = required(object(procedure)).Get##Direction##Kind##ParamCount();            \
      if (count) *count = value;                                                                   \
    });                                                                                            \
  }                                                                                                \
  EngineErrorRecord* hprocedureGet##Direction##Kind##ParamName(ProcedureHandle procedure,          \
                                                               int32_t index, const char** name) { \
    return guarded(__func__, [&] {                                                                 \
      const char* value = required(object(procedure)).Get##Direction##Kind##ParamName(index);      \
      if (name) *name = value;                                                                     \
    });                                                                                            \
  }                                                                                                \
  EngineErrorRecord* hprocedureGet##Direction##Kind##ParamDimension(                               \
      ProcedureHandle procedure, int32_t index, int32_t* dimension) {                              \
    return guarded(__func__, [&] {                                                                 \
      const int value = required(object(procedure)).Get##Direction##Kind##ParamDimension(index);   \
      if (dimension) *dimension = value;                                                           \
    });                                                                                            \
  }

BRIMLET_SIGNATURE_QUERIES(Input, Iconic)
BRIMLET_SIGNATURE_QUERIES(Output, Iconic)
BRIMLET_SIGNATURE_QUERIES(Input, Ctrl)
BRIMLET_SIGNATURE_QUERIES(Output, Ctrl)

}  // extern "C"
