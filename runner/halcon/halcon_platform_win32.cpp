#include "halcon_platform.h"

namespace Velotrax {

// root\bin\x64-win64\halconcpp.dll
const HalconPlatform kHalconPlatform{"x64-win64", "x86sse2-win32", "bin", "", ".dll"};

}  // namespace Velotrax
