// Placeholder until script location is built; unreachable without an engine client.
#include "script_location.h"

#include <stdexcept>

namespace Velotrax {

std::string locateScript() {
  throw std::logic_error("script location is not built yet");
}
void enterScriptDirectory() {}
void buildWatchList() {}

}  // namespace Velotrax
