#include "run_settings.h"

namespace Velotrax {

RunSettings& runSettings() {
  static RunSettings settings;
  return settings;
}

}  // namespace Velotrax
