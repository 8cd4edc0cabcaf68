#include "installations.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>

#include <boost/filesystem/path.hpp>

#include "common/messages.h"
#include "os/registry.h"
#include "os/utf16.h"

namespace Velotrax {

namespace {

void warn(const std::string& text) {
  printError(text);
}

// What the user reads when a registry call fails, by the call.
constexpr struct {
  std::string_view step;
  const char* text;
} kRegistryFailures[] = {
    {winreg::kOpenKeyStep, "RegOpenKeyEx failed."},
    {winreg::kQueryInfoStep, "RegQueryInfoKey failed while preparing for subkey enumeration."},
    {winreg::kEnumKeyStep, "Cannot enumerate subkeys: RegEnumKeyEx failed."},
    {winreg::kValueSizeStep, "Cannot get size of string value: RegGetValue failed."},
    {winreg::kValueStep, "Cannot get string value: RegGetValue failed."},
};

// Text the registry or the command line gave that is no valid Unicode.
constexpr const char* kBadConversion = "bad conversion";

std::string registryFailureText(const os::OsFailure& failure) {
  for (const auto& known : kRegistryFailures)
    if (known.step == failure.step) return known.text;
  return failure.step + " failed.";
}

template <class T>
T registryValue(os::OsResult<T> result) {
  if (!result) throw std::runtime_error(registryFailureText(result.failure()));
  return std::move(*result);
}

template <class Text>
auto converted(const std::optional<Text>& text) {
  if (!text) throw std::range_error(kBadConversion);
  return *text;
}

std::string stringValue(const winreg::RegKey& key, const std::u16string& name) {
  return converted(os::utf16ToUtf8(registryValue(key.stringValue(name))));
}

InstallationRecord readInstallation(const std::u16string& keyPath) {
  const winreg::RegKey key = registryValue(winreg::RegKey::openLocalMachine(keyPath, warn));
  InstallationRecord record;
  record.root = stringValue(key, u"InstallDir");
  record.architecture = stringValue(key, u"Architecture");
  // The platform's separator: a backslash on Windows, where registries exist.
  const std::string separator(1, static_cast<char>(boost::filesystem::path::preferred_separator));
  const std::string examples = stringValue(key, u"ExampleRoot");
  record.examplesDir = examples + separator + "examples";
  record.imagesDir = record.examplesDir + separator + "images";
  return record;
}

}  // namespace

std::vector<std::u16string> matchingVersions(std::vector<std::u16string> names,
                                             const std::u16string& version) {
  if (names.size() >= 2)
    std::stable_partition(names.begin(), names.end(),
                          [&](const std::u16string& name) { return name == version; });
  std::erase_if(names, [&](const std::u16string& name) { return !name.starts_with(version); });
  return names;
}

std::vector<InstallationRecord> findInstallations(const std::string& version) {
  const std::u16string wanted = converted(os::utf8ToUtf16(version));
  const std::u16string versionsKey = converted(os::utf8ToUtf16(kHalconVersionsKey));
  auto names = [&]() -> os::OsResult<std::vector<std::u16string>> {
    const os::OsResult<winreg::RegKey> versions =
        winreg::RegKey::openLocalMachine(versionsKey, warn);
    if (!versions) return versions.failure();
    return versions->subkeyNames();
  }();
  if (!names) {
    printError("Retrieving key " + std::string(kHalconVersionsKey) +
               " failed: " + registryFailureText(names.failure()));
    return {};
  }
  // Every match is read before the first is used, so a damaged later one ends the run too.
  std::vector<InstallationRecord> records;
  for (const std::u16string& name : matchingVersions(std::move(*names), wanted))
    records.push_back(readInstallation(versionsKey + name + u"\\Initialized"));
  return records;
}

}  // namespace Velotrax
