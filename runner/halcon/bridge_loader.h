// Loading the bridge that matches the active HALCON version and binding its entries.
#pragma once

#include "engine_client.h"

namespace Velotrax {

// Reads the active version, finds and loads the bridge, resolves all 50 entries in resolution
// order, then the optional ones that are present. Every failure is a std::runtime_error with the
// user-facing text; `verbose` adds the failed system call and details.
EngineClient loadEngineClient(bool verbose);

}  // namespace Velotrax
