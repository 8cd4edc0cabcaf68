// Placeholder until bridge loading is built: reports that there is no engine bridge yet.
#include "bridge_loader.h"

#include <stdexcept>

namespace Velotrax {

EngineClient loadEngineClient() {
  throw std::runtime_error(
      "error: the HALCON engine is not available yet: this build of Velotrax has no engine "
      "bridge, so it cannot run or query scripts");
}

}  // namespace Velotrax
