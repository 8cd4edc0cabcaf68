#include "halcon_platform.h"

namespace Velotrax {

// root/lib/x64-linux/libhalconcpp.so; there is no other architecture.
const HalconPlatform kHalconPlatform{"x64-linux", nullptr, "lib", "lib", ".so"};

}  // namespace Velotrax
