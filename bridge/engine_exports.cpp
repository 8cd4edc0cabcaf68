// Error records, engine configuration and the system query.
#include <string>

#include "boundary.h"
#include "handles.h"

using brimlet::guarded;
using HalconCpp::HTuple;
using HDevEngineCpp::HDevEngine;

extern "C" {

void hclearErrorMsg(EngineErrorRecord* record) {
  brimlet::releaseRecord(record);
}

EngineErrorRecord* haddProcedurePath(const char* path) {
  return guarded(__func__, [&] { HDevEngine().AddProcedurePath(path ? path : ""); });
}

EngineErrorRecord* hsetEngineAttribute(const char* name, const char* value) {
  return guarded(__func__, [&] {
    HDevEngine().SetEngineAttribute(name ? name : "", HTuple(value ? value : ""));
  });
}

EngineErrorRecord* hsetEngineAttributeInt(const char* name, int32_t value) {
  return guarded(__func__,
                 [&] { HDevEngine().SetEngineAttribute(name ? name : "", HTuple(value)); });
}

EngineErrorRecord* hgetsystem(const char* name, TupleHandle* tuple) {
  return guarded(__func__, [&] {
    auto* value = new HTuple(HalconCpp::GetSystem(HTuple(name ? name : "")));
    if (tuple)
      *tuple = brimlet::handleFor<TupleHandle>(value);
    else
      delete value;
  });
}

EngineErrorRecord* hunloadAllProcedures(void) {
  return guarded(__func__, [] { HDevEngine().UnloadAllProcedures(); });
}

EngineErrorRecord* hstartDebugServer(void) {
  return guarded(__func__, [] { HDevEngine().StartDebugServer(); });
}

EngineErrorRecord* hstopDebugServer(void) {
  return guarded(__func__, [] { HDevEngine().StopDebugServer(); });
}

}  // extern "C"
