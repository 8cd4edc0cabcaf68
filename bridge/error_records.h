// Building and releasing the error records that failing exports return.
#pragma once

#include "HDevEngineCpp.h"
#include "HalconCpp.h"
#include "brimlet_exports.h"

namespace brimlet {

// A zero-filled copy of text with its terminating zero, from the bridge's allocator.
char* copyText(const char* text) noexcept;

// The builders never return null: when memory runs out they return a static record that
// releaseRecord leaves alone.

// Type 1 record from a vision-library exception.
EngineErrorRecord* recordFrom(const HalconCpp::HException& e) noexcept;

// Type 2 record from an engine exception.
EngineErrorRecord* recordFrom(const HDevEngineCpp::HDevEngineException& e) noexcept;

// Type 1 record for any other failure at the boundary, naming the export that failed.
EngineErrorRecord* recordFromUnexpected(const char* exportName, const char* message) noexcept;

// Frees the record and each of its texts; null is ignored.
void releaseRecord(EngineErrorRecord* record) noexcept;

}  // namespace brimlet
