#include <windows.h>

#include "registry.h"

namespace Velotrax::winreg {

struct RegKey::Impl {
  explicit Impl(HKEY opened) : key(opened) {}
  ~Impl() {
    if (key && !isPredefined()) RegCloseKey(key);
  }
  bool isPredefined() const {
    return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER || key == HKEY_CLASSES_ROOT ||
           key == HKEY_USERS || key == HKEY_CURRENT_CONFIG;
  }
  HKEY key;
};

namespace {

const wchar_t* wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

// The registry calls return their error instead of setting the last error.
os::OsFailure failed(const char* step, LONG status) {
  return os::OsFailure{step, status, os::errorText(status)};
}

}  // namespace

os::OsResult<RegKey> RegKey::openLocalMachine(const std::u16string& path, const RegistryWarning&) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide(path), 0, KEY_READ, &key);
  if (status != ERROR_SUCCESS) return failed(kOpenKeyStep, status);
  return RegKey(std::make_unique<Impl>(key));
}

RegKey::RegKey() = default;
RegKey::RegKey(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RegKey::~RegKey() = default;
RegKey::RegKey(RegKey&& other) noexcept = default;
RegKey& RegKey::operator=(RegKey&& other) noexcept = default;

os::OsResult<std::vector<std::u16string>> RegKey::subkeyNames() const {
  DWORD longestName = 0;
  LONG status = RegQueryInfoKeyW(impl_->key, nullptr, nullptr, nullptr, nullptr, &longestName,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) return failed(kQueryInfoStep, status);
  std::vector<wchar_t> buffer(longestName + 1);
  std::vector<std::u16string> names;
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(buffer.size());
    status = RegEnumKeyExW(impl_->key, index, buffer.data(), &length, nullptr, nullptr, nullptr,
                           nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return names;
    if (status != ERROR_SUCCESS) return failed(kEnumKeyStep, status);
    names.emplace_back(reinterpret_cast<const char16_t*>(buffer.data()), length);
  }
}

os::OsResult<std::u16string> RegKey::stringValue(const std::u16string& name) const {
  DWORD size = 0;
  LONG status =
      RegGetValueW(impl_->key, nullptr, wide(name), RRF_RT_REG_SZ, nullptr, nullptr, &size);
  if (status != ERROR_SUCCESS) return failed(kValueSizeStep, status);
  std::u16string text(size / 2, u'\0');
  status =
      RegGetValueW(impl_->key, nullptr, wide(name), RRF_RT_REG_SZ, nullptr, text.data(), &size);
  if (status != ERROR_SUCCESS) return failed(kValueStep, status);
  text.resize(size >= 2 ? size / 2 - 1 : 0);
  return text;
}

}  // namespace Velotrax::winreg
