#include "installations.h"

#include <algorithm>

#include <boost/filesystem/path.hpp>

#include "common/messages.h"
#include "os/registry.h"
#include "os/utf16.h"

namespace Velotrax {

namespace {

void warn(const std::string& text) {
  printError(text);
}

InstallationRecord readInstallation(const std::u16string& keyPath) {
  const winreg::RegKey key = winreg::RegKey::openLocalMachine(keyPath, warn);
  InstallationRecord record;
  record.root = os::utf16ToUtf8(key.stringValue(u"InstallDir"));
  record.architecture = os::utf16ToUtf8(key.stringValue(u"Architecture"));
  // The platform's separator: a backslash on Windows, where registries exist.
  const std::string separator(1, static_cast<char>(boost::filesystem::path::preferred_separator));
  const std::string examples = os::utf16ToUtf8(key.stringValue(u"ExampleRoot"));
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
  const std::u16string wanted = os::utf8ToUtf16(version);
  const std::u16string versionsKey = os::utf8ToUtf16(kHalconVersionsKey);
  std::vector<std::u16string> names;
  try {
    names = winreg::RegKey::openLocalMachine(versionsKey, warn).subkeyNames();
  } catch (const winreg::RegException& e) {
    printError("Retrieving key " + std::string(kHalconVersionsKey) + " failed: " + e.what());
    return {};
  }
  // Every match is read before the first is used, so a damaged later one ends the run too.
  std::vector<InstallationRecord> records;
  for (const std::u16string& name : matchingVersions(std::move(names), wanted))
    records.push_back(readInstallation(versionsKey + name + u"\\Initialized"));
  return records;
}

}  // namespace Velotrax
