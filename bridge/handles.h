// The objects behind the opaque handles the bridge hands out.
#pragma once

#include "HDevEngineCpp.h"
#include "HalconCpp.h"
#include "brimlet_exports.h"

namespace brimlet {

template <class Handle>
struct ObjectOf;
template <>
struct ObjectOf<TupleHandle> {
  using type = HalconCpp::HTuple;
};
template <>
struct ObjectOf<ProcedureHandle> {
  using type = HDevEngineCpp::HDevProcedure;
};
template <>
struct ObjectOf<ProcedureCallHandle> {
  using type = HDevEngineCpp::HDevProcedureCall;
};
template <>
struct ObjectOf<ProgramHandle> {
  using type = HDevEngineCpp::HDevProgram;
};
template <>
struct ObjectOf<ProgramCallHandle> {
  using type = HDevEngineCpp::HDevProgramCall;
};

// The object a handle stands for.
template <class Handle>
typename ObjectOf<Handle>::type* object(Handle handle) {
  return reinterpret_cast<typename ObjectOf<Handle>::type*>(handle);
}

// The handle for a new heap object, which the caller then owns.
template <class Handle>
Handle handleFor(typename ObjectOf<Handle>::type* created) {
  return reinterpret_cast<Handle>(created);
}

// Destroys the object behind a handle; null is ignored.
template <class Handle>
void destroy(Handle handle) noexcept {
  delete object(handle);
}

}  // namespace brimlet
