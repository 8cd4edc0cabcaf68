// The HALCON installations registered in the registry.
#pragma once

#include <string>
#include <vector>

namespace Velotrax {

// One registered installation; texts in UTF-8.
struct InstallationRecord {
  std::string root;          // InstallDir
  std::string architecture;  // Architecture (read, not used)
  std::string examplesDir;   // ExampleRoot\examples
  std::string imagesDir;     // ExampleRoot\examples\images
};

// The registry key that holds one subkey per installed version, as the runner writes it.
inline constexpr const char* kHalconVersionsKey = "SOFTWARE\\WOW6432Node\\MVTec\\HALCON\\";

// The version names that begin with `version`, in enumeration order except that names equal to
// it come first.
std::vector<std::u16string> matchingVersions(std::vector<std::u16string> names,
                                             const std::u16string& version);

// The installations whose version begins with `version` (UTF-8), best first. A registry that
// cannot be read is reported and gives none; a damaged matching installation throws
// std::runtime_error naming the registry call that failed; a version that is not UTF-8, or a
// registered text that is no valid UTF-16, throws std::range_error("bad conversion").
std::vector<InstallationRecord> findInstallations(const std::string& version);

}  // namespace Velotrax
