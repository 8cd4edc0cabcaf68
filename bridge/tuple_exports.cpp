// Tuples: created, filled and read element by element. Bad handles and indices never crash:
// they read as type 0, number 0 or an empty text.
#include <cstdlib>
#include <new>

#include "boundary.h"
#include "handles.h"

using brimlet::guarded;
using brimlet::guardedValue;
using brimlet::object;
using HalconCpp::HTuple;

namespace {

// The element, or null when the handle is null or the index outside the tuple.
const HTuple* tupleWithElement(TupleHandle tuple, int64_t index) {
  const HTuple* t = object(tuple);
  return t && index >= 0 && index < t->Length() ? t : nullptr;
}

}  // namespace

extern "C" {

EngineErrorRecord* hcreateTuple(TupleHandle* tuple) {
  if (tuple) *tuple = nullptr;
  return guarded(__func__, [&] {
    auto* created = new HTuple();
    if (tuple)
      *tuple = brimlet::handleFor<TupleHandle>(created);
    else
      delete created;
  });
}

void hfreeTuple(TupleHandle tuple) {
  brimlet::destroy(tuple);
}

void happendTupleLong(TupleHandle tuple, int64_t value) {
  brimlet::guardedVoid([&] {
    if (HTuple* t = object(tuple)) t->Append(HTuple(static_cast<Hlong>(value)));
  });
}

void happendTupleDouble(TupleHandle tuple, double value) {
  brimlet::guardedVoid([&] {
    if (HTuple* t = object(tuple)) t->Append(HTuple(value));
  });
}

void happendTupleString(TupleHandle tuple, const char* text) {
  brimlet::guardedVoid([&] {
    if (HTuple* t = object(tuple); t && text) t->Append(HTuple(text));
  });
}

int64_t hgetTupleLength(TupleHandle tuple) {
  return guardedValue<int64_t>(0, [&] { return object(tuple) ? object(tuple)->Length() : 0; });
}

int32_t hgetTupleElemType(TupleHandle tuple, int64_t index) {
  return guardedValue<int32_t>(0, [&] {
    const HTuple* t = tupleWithElement(tuple, index);
    return t ? (*t)[index].Type() : 0;
  });
}

int64_t hgetTupleElemLong(TupleHandle tuple, int64_t index) {
  return guardedValue<int64_t>(0, [&] {
    const HTuple* t = tupleWithElement(tuple, index);
    return t ? static_cast<int64_t>((*t)[index].L()) : 0;
  });
}

double hgetTupleElemDouble(TupleHandle tuple, int64_t index) {
  return guardedValue<double>(0.0, [&] {
    const HTuple* t = tupleWithElement(tuple, index);
    return t ? (*t)[index].D() : 0.0;
  });
}

char* hgetTupleElemString_TO_BE_FREED(TupleHandle tuple, int64_t index) {
  return guardedValue<char*>(nullptr, [&] {
    const HTuple* t = tupleWithElement(tuple, index);
    return brimlet::copyText(t ? (*t)[index].S().Text() : "");
  });
}

void hfreeTupleElemString(char* text) {
  std::free(text);
}

}  // extern "C"
