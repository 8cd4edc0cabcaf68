// How a HALCON installation looks on this platform.
#pragma once

namespace Velotrax {

struct HalconPlatform {
  const char* architecture;       // the runner's own build architecture
  const char* otherArchitecture;  // the other architecture of the build, or null
  const char* libraryDirectory;   // directory under the root that holds the architectures
  const char* libraryPrefix;      // library file name: prefix + base name + suffix
  const char* librarySuffix;
};

extern const HalconPlatform kHalconPlatform;

}  // namespace Velotrax
