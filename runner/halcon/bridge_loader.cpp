#include "bridge_loader.h"

#include <boost/filesystem/operations.hpp>
#include <boost/filesystem/path.hpp>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "common/messages.h"
#include "halcon_platform.h"
#include "os/file_version.h"
#include "os/module.h"

namespace Velotrax {

namespace fs = boost::filesystem;

namespace {

// Named in the message about an unsupported HALCON version.
constexpr const char* kSupportContact = "the Velotrax project (see its README.md)";

std::string libraryFileName(const std::string& base) {
  return kHalconPlatform.libraryPrefix + base + kHalconPlatform.librarySuffix;
}

[[noreturn]] void fail(const std::string& text) {
  throw std::runtime_error(text);
}

// With --verbose, the failed step and its error number.
void trace(const os::OsFailure& failure, bool verbose) {
  if (verbose && !failure.step.empty())
    printError("Error in " + failure.step + ": " + std::to_string(failure.code));
}

// The version of the vision library the search order finds.
os::FileVersion activeHalconVersion(bool verbose) {
  const std::string fileName = libraryFileName("halconcpp");
  os::OsResult<os::Module> library = os::Module::loadByName(fileName);
  if (!library) {
    trace(library.failure(), verbose);
    fail("Could not load " + fileName + ": " + library.failure().text);
  }
  library->keepLoaded();  // a failed attempt unloads nothing it loaded
  const os::OsResult<std::string> path = library->path();
  if (!path) trace(path.failure(), verbose);
  if (!path || path->empty()) fail("could not find path of " + fileName);
  const os::OsResult<os::FileVersion> version = os::fileVersion(*path);
  if (!version) {
    trace(version.failure(), verbose);
    fail("could not determine version of " + fileName);
  }
  library->unload();
  return *version;
}

// The program's directory, then the current one; any entry of that name counts. The PATH
// variable is not searched.
std::optional<std::string> findBridge(const std::string& fileName) {
  std::vector<fs::path> directories{fs::path(os::executablePath()).parent_path()};
  boost::system::error_code error;
  const fs::path current = fs::current_path(error);
  if (!error) directories.push_back(current);
  for (const fs::path& directory : directories) {
    const fs::path candidate = directory / fileName;
    if (fs::exists(fs::symlink_status(candidate, error))) return candidate.string();
  }
  return std::nullopt;
}

std::string unsupportedVersionMessage(const os::FileVersion& version, const std::string& details,
                                      bool verbose) {
  const std::string product(kProductName);
  std::ostringstream message;
  message << "HALCON " << version.major << "." << version.minor << " is not supported by this "
          << "version of " << product << " or HALCON was not (auto-)detected correctly. Hint: "
          << "You can switch between different HALCON versions manually with the "
          << "--halconversion (short: -n) command line flag.\n";
  if (!verbose)
    message << "To get detailed information on this error, start " << product
            << " again with the --verbose (short: -v) command line flag.\n";
  message << "Please contact " << kSupportContact
          << " if you need further assistance with an unknown HALCON version.";
  if (verbose) message << "\n Details: " << details;
  return message.str();
}

template <class Entry>
void bind(const os::Module& bridge, const char* name, Entry& entry) {
  void* address = bridge.symbol(name);
  if (!address) fail("could not resolve symbol " + std::string(name) + " in wrapper module");
  entry = reinterpret_cast<Entry>(address);
}

}  // namespace

EngineClient loadEngineClient(bool verbose) {
  EngineClient client;
  const os::FileVersion version = activeHalconVersion(verbose);
  const std::string fileName = "brimlet-" + std::to_string(version.major) + "." +
                               std::to_string(version.minor) + kHalconPlatform.librarySuffix;
  const std::optional<std::string> path = findBridge(fileName);
  if (!path)
    fail(unsupportedVersionMessage(version, "could not find the helper library " + fileName,
                                   verbose));

  os::OsResult<os::Module> bridge = os::Module::loadByPath(*path);
  if (!bridge) fail("Could not load " + *path + ": " + bridge.failure().text);
  bridge->keepLoaded();  // the bridge stays until the process ends

  // In resolution order; the first name missing ends the binding.
#define VELOTRAX_BIND(name, result, parameters) bind(*bridge, #name, client.name);
  BRIMLET_EXPORTS(VELOTRAX_BIND)
#undef VELOTRAX_BIND
  // Optional entries stay null when missing; only the option that needs one asks for it.
#define VELOTRAX_BIND_OPTIONAL(name, result, parameters) \
  client.name = reinterpret_cast<brimlet_##name##_fn>(bridge->symbol(#name));
  BRIMLET_OPTIONAL_EXPORTS(VELOTRAX_BIND_OPTIONAL)
#undef VELOTRAX_BIND_OPTIONAL
  client.module = std::make_shared<os::Module>(std::move(*bridge));
  return client;
}

}  // namespace Velotrax
