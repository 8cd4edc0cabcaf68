// The C boundary: no exception ever leaves an export.
#pragma once

#include <exception>

#include "error_records.h"

namespace brimlet {

// Runs body; any exception becomes an error record: vision-library exceptions type 1, engine
// exceptions type 2, anything else a type 1 record naming the export.
template <class Body>
EngineErrorRecord* guarded(const char* exportName, Body&& body) noexcept {
  try {
    body();
    return nullptr;
  } catch (const HalconCpp::HException& e) {
    return recordFrom(e);
  } catch (const HDevEngineCpp::HDevEngineException& e) {
    return recordFrom(e);
  } catch (const std::exception& e) {
    return recordFromUnexpected(exportName, e.what());
  } catch (...) {
    return recordFromUnexpected(exportName, "unknown exception");
  }
}

// For exports without a result: a failure is dropped.
template <class Body>
void guardedVoid(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

// For exports without a record: the fallback value when anything fails.
template <class Result, class Body>
Result guardedValue(Result fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return fallback;
  }
}

}  // namespace brimlet
