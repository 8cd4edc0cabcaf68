// Placeholder until engine configuration is built; unreachable without an engine client.
#include "engine_configuration.h"

#include <stdexcept>

namespace Velotrax {

void startEngine() {
  throw std::logic_error("engine start is not built yet");
}
void setProcedurePath(const std::string&) {
  throw std::logic_error("not built yet");
}
void applyEngineAttributes() {
  throw std::logic_error("not built yet");
}

}  // namespace Velotrax
