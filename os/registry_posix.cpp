// The registry as a registry export file: VELOTRAX_REGISTRY names it, or
// /etc/velotrax/registry.reg. Read once per file name; the error codes are those Windows gives.
#include <mutex>

#include "environment.h"
#include "file_io.h"
#include "registry.h"
#include "registry_file.h"

namespace Velotrax::winreg {

namespace {

constexpr const char* kDefaultFile = "/etc/velotrax/registry.reg";
// The codes Windows gives, with its words for them.
const os::OsFailure kFileNotFound{"", 2, "The system cannot find the file specified."};
const os::OsFailure kBadDatabase{"", 1009, "The configuration registry database is corrupt."};
const os::OsFailure kUnsupportedType{"", 1630, "Data of this type is not supported."};

os::OsFailure failed(const char* step, os::OsFailure failure) {
  failure.step = step;
  return failure;
}

std::shared_ptr<RegistryFile> unusable(const std::string& path, const std::string& why) {
  auto file = std::make_shared<RegistryFile>();
  file->usable = false;
  file->warnings.push_back("warning: registry file " + path + " cannot be read: " + why);
  return file;
}

// A missing file is an empty registry; one that cannot be read opens no key.
std::shared_ptr<RegistryFile> readFile(const std::string& path) {
  const os::OsResult<std::string> file = os::readRegularFile(path);
  if (!file && os::isMissingFile(file.failure())) return std::make_shared<RegistryFile>();
  if (!file) return unusable(path, file.failure().text);
  return std::make_shared<RegistryFile>(parseRegistryFile(*file, path));
}

// The registry file now named by the environment; its warnings go out when it is first read.
std::shared_ptr<const RegistryFile> currentFile(const RegistryWarning& warn) {
  static std::mutex lock;
  static std::string readPath;
  static std::shared_ptr<const RegistryFile> read;
  std::string path = os::getEnvironment("VELOTRAX_REGISTRY");
  if (path.empty()) path = kDefaultFile;
  std::lock_guard<std::mutex> hold(lock);
  if (!read || path != readPath) {
    std::shared_ptr<RegistryFile> file = readFile(path);
    if (warn)
      for (const std::string& warning : file->warnings) warn(warning);
    read = std::move(file);
    readPath = path;
  }
  return read;
}

}  // namespace

struct RegKey::Impl {
  std::shared_ptr<const RegistryFile> file;  // keeps the key alive
  const FileKey* key;
};

os::OsResult<RegKey> RegKey::openLocalMachine(const std::u16string& path,
                                              const RegistryWarning& warn) {
  std::shared_ptr<const RegistryFile> file = currentFile(warn);
  if (!file->usable) return failed(kOpenKeyStep, kBadDatabase);
  const FileKey* key = findKey(*file, u"HKEY_LOCAL_MACHINE\\" + path);
  if (!key) return failed(kOpenKeyStep, kFileNotFound);
  if (key->damaged) return failed(kOpenKeyStep, kBadDatabase);
  return RegKey(std::make_unique<Impl>(Impl{std::move(file), key}));
}

RegKey::RegKey() = default;
RegKey::RegKey(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RegKey::~RegKey() = default;
RegKey::RegKey(RegKey&& other) noexcept = default;
RegKey& RegKey::operator=(RegKey&& other) noexcept = default;

os::OsResult<std::vector<std::u16string>> RegKey::subkeyNames() const {
  std::vector<std::u16string> names;
  for (const auto& subkey : impl_->key->subkeys) names.push_back(subkey->name);
  return names;
}

os::OsResult<std::u16string> RegKey::stringValue(const std::u16string& name) const {
  const FileKey::Value* value = impl_->key->value(name);
  if (!value) return failed(kValueSizeStep, kFileNotFound);
  if (!value->isString) return failed(kValueSizeStep, kUnsupportedType);
  return value->text;
}

}  // namespace Velotrax::winreg
