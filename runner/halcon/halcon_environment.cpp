// Placeholder until installation discovery is built: nothing to prepare.
#include "halcon_environment.h"

namespace Velotrax {

bool prepareHalconEnvironment() {
  return true;
}

}  // namespace Velotrax
