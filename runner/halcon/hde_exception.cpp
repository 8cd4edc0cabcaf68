// Placeholder until the bridge binding is built.
#include "hde_exception.h"

namespace Velotrax {

std::string engineErrorReport(const EngineErrorRecord&) {
  return {};
}

HDEException::HDEException(EngineErrorRecord*) : std::runtime_error("engine error") {}

}  // namespace Velotrax
