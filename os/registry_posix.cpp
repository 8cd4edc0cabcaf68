// The registry as a registry export file: VELOTRAX_REGISTRY names it, or
// /etc/velotrax/registry.reg. Read once per file name; the error codes are those Windows gives.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "environment.h"
#include "registry.h"
#include "registry_file.h"
#include "system_error.h"

namespace Velotrax::winreg {

namespace {

constexpr const char* kDefaultFile = "/etc/velotrax/registry.reg";
// A registry file of HALCON installations is a few kilobytes; anything this large is damage.
constexpr off_t kMaxFileBytes = 16 << 20;

constexpr long kFileNotFound = 2;        // ERROR_FILE_NOT_FOUND: no such key or value
constexpr long kBadDatabase = 1009;      // ERROR_BADDB: the key's storage is damaged
constexpr long kUnsupportedType = 1630;  // ERROR_UNSUPPORTED_TYPE: not a string value

class Descriptor {
 public:
  explicit Descriptor(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::shared_ptr<RegistryFile> unusable(const std::string& path, const std::string& why) {
  auto file = std::make_shared<RegistryFile>();
  file->usable = false;
  file->warnings.push_back("warning: registry file " + path + " cannot be read: " + why);
  return file;
}

// A missing file is an empty registry; one that cannot be read opens no key.
std::shared_ptr<RegistryFile> readFile(const std::string& path) {
  errno = 0;
  const Descriptor file(path);
  if (file.get() < 0)
    return errno == ENOENT ? std::make_shared<RegistryFile>() : unusable(path, os::lastErrorText());
  struct stat status;
  if (::fstat(file.get(), &status) != 0) return unusable(path, os::lastErrorText());
  if (!S_ISREG(status.st_mode)) return unusable(path, "not a regular file");
  if (status.st_size > kMaxFileBytes) return unusable(path, "larger than 16 MiB");
  std::string text(static_cast<size_t>(status.st_size), '\0');
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t got = ::read(file.get(), text.data() + done, text.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return unusable(path, os::lastErrorText());
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  text.resize(done);
  return std::make_shared<RegistryFile>(parseRegistryFile(text, path));
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

RegKey RegKey::openLocalMachine(const std::u16string& path, const RegistryWarning& warn) {
  std::shared_ptr<const RegistryFile> file = currentFile(warn);
  if (!file->usable) throw RegException(kOpenKeyFailed, kBadDatabase);
  const FileKey* key = findKey(*file, u"HKEY_LOCAL_MACHINE\\" + path);
  if (!key) throw RegException(kOpenKeyFailed, kFileNotFound);
  if (key->damaged) throw RegException(kOpenKeyFailed, kBadDatabase);
  return RegKey(std::make_unique<Impl>(Impl{std::move(file), key}));
}

RegKey::RegKey() = default;
RegKey::RegKey(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RegKey::~RegKey() = default;
RegKey::RegKey(RegKey&& other) noexcept = default;
RegKey& RegKey::operator=(RegKey&& other) noexcept = default;

std::vector<std::u16string> RegKey::subkeyNames() const {
  std::vector<std::u16string> names;
  for (const auto& subkey : impl_->key->subkeys) names.push_back(subkey->name);
  return names;
}

std::u16string RegKey::stringValue(const std::u16string& name) const {
  const FileKey::Value* value = impl_->key->value(name);
  if (!value) throw RegException(kValueSizeFailed, kFileNotFound);
  if (!value->isString) throw RegException(kValueSizeFailed, kUnsupportedType);
  return value->text;
}

}  // namespace Velotrax::winreg
