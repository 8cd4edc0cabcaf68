#include "halcon_environment.h"

#include <boost/filesystem/operations.hpp>
#include <boost/filesystem/path.hpp>
#include <optional>
#include <sstream>
#include <string>

#include "common/file_system.h"
#include "common/messages.h"
#include "common/run_settings.h"
#include "halcon_platform.h"
#include "installations.h"
#include "os/environment.h"
#include "os/module.h"

namespace Velotrax {

namespace fs = boost::filesystem;

namespace {

void setVariable(const std::string& name, const std::string& value, bool verbose) {
  const std::string setting = "Setting internal environment variable " + name + " to " + value;
  if (verbose) printNormal(setting);
  if (const std::optional<os::OsFailure> failure = os::setEnvironment(name, value))
    printError(setting + " failed: " + failure->text);
}

// The root the run uses: --halconroot, a registered installation, or the inherited HALCONROOT.
// False when --halconversion matches no installation.
bool chooseRoot(const RunSettings& settings, const std::string& inherited, std::string& root) {
  if (settings.halconversion.empty()) {
    root = settings.halconroot.empty() ? inherited : settings.halconroot;
    return true;
  }
  const std::vector<InstallationRecord> found = findInstallations(settings.halconversion);
  if (found.empty()) {
    printError("could not find a HALCON version matching \"" + settings.halconversion +
               "\" on your machine.");
    return false;
  }
  const InstallationRecord& chosen = found.front();
  root = chosen.root;
  if (!root.empty()) {
    if (!chosen.examplesDir.empty())
      setVariable("HALCONEXAMPLES", chosen.examplesDir, settings.verbose);
    if (!chosen.imagesDir.empty()) setVariable("HALCONIMAGES", chosen.imagesDir, settings.verbose);
  }
  return true;
}

// Says what is missing of the installation; never stops the run.
void checkInstallation(const std::string& root, const fs::path& libraryDirectory, bool verbose) {
  const HalconPlatform& platform = kHalconPlatform;
  if (root.empty())
    printError(std::string("The environment variable HALCONROOT does not exist.\n") +
               "Please make sure you have installed the " + platform.architecture +
               " architecture of HALCON.");
  if (verbose && !isDirectory(root))
    printError("Directory specified in HALCONROOT does not exist: " + root);

  if (!isDirectory(libraryDirectory)) {
    const fs::path other = platform.otherArchitecture ? fs::path(root) / platform.libraryDirectory /
                                                            platform.otherArchitecture
                                                      : fs::path();
    std::ostringstream message;
    if (!other.empty() && isDirectory(other)) {
      message << "It seems you have installed the " << platform.otherArchitecture
              << " architecture of HALCON at " << other.string() << " but you are using the "
              << platform.architecture << " architecture of " << kProductName << "."
              << " You have to either install the " << platform.architecture
              << " architecture of HALCON or execute the " << platform.otherArchitecture
              << " architecture of " << kProductName << ".";
    } else {
      message << "Could not find the required HALCON directory " << libraryDirectory.string()
              << ". Please make sure you have installed the " << platform.architecture
              << " architecture of HALCON at " << root << ".";
    }
    printError(message);
  }

  for (const char* base : {"halcon", "halconc", "halconcpp", "hdevenginecpp"}) {
    const fs::path library =
        libraryDirectory / (platform.libraryPrefix + std::string(base) + platform.librarySuffix);
    if (!isRegularFile(library))
      printError("warning: library " + library.string() + " does not exist");
  }
}

void traceEnvironment(const std::string& root) {
  std::ostringstream message;
  message << "Using HALCON library with the following relevant environment variables:"
          << "\n  HALCONROOT      : " << root
          << "\n  HALCONARCH      : " << kHalconPlatform.architecture
          << "\n  HALCONIMAGES    : " << os::getEnvironment("HALCONIMAGES")
          << "\n  HALCONEXAMPLES  : " << os::getEnvironment("HALCONEXAMPLES")
          << "\n  HALCONEXTENSIONS: " << os::getEnvironment("HALCONEXTENSIONS");
  printNormal(message);
}

}  // namespace

std::optional<std::string> prepareHalconEnvironment(const RunSettings& settings) {
  const std::string inherited = os::getEnvironment("HALCONROOT");
  std::string root;
  if (!chooseRoot(settings, inherited, root)) return std::nullopt;
  if (root != inherited) setVariable("HALCONROOT", root, settings.verbose);

  const fs::path libraryDirectory =
      fs::path(root) / kHalconPlatform.libraryDirectory / kHalconPlatform.architecture;
  checkInstallation(root, libraryDirectory, settings.verbose);

  const std::string directory = libraryDirectory.string();
  if (settings.verbose)
    printNormal("Setting search path for HALCON shared libraries to \"" + directory + "\"");
  if (const std::optional<os::OsFailure> failure = os::setDllDirectory(directory)) {
    printError("Could not set DLL search directory " + directory + ": " + failure->text);
    printError("Could not set DLL search directory " + directory +
               ". Probably the wrong HALCON library will be used.");
  }

  if (settings.verbose) traceEnvironment(root);
  return root;
}

}  // namespace Velotrax
