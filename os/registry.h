// The registry, read only: keys under HKEY_LOCAL_MACHINE, their subkeys and string values.
// On Linux the registry is a registry export file (see registry_file.h).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "system_error.h"

namespace Velotrax::winreg {

// The steps a failure names: the registry call that failed. Its code is the status the call
// returned (on Linux the one Windows gives for the same case).
inline constexpr const char* kOpenKeyStep = "RegOpenKeyEx";
inline constexpr const char* kQueryInfoStep = "RegQueryInfoKey";  // before enumerating subkeys
inline constexpr const char* kEnumKeyStep = "RegEnumKeyEx";
inline constexpr const char* kValueSizeStep = "RegGetValue for the size";
inline constexpr const char* kValueStep = "RegGetValue";

// Receives a warning about the registry's storage (Linux: a malformed line of the file).
using RegistryWarning = std::function<void(const std::string& text)>;

// A key opened for reading, closed when its owner goes. Move-only.
class RegKey {
 public:
  // Opens `path` (components separated by backslashes) under HKEY_LOCAL_MACHINE.
  static os::OsResult<RegKey> openLocalMachine(const std::u16string& path,
                                               const RegistryWarning& warn);

  RegKey();
  ~RegKey();
  RegKey(RegKey&& other) noexcept;
  RegKey& operator=(RegKey&& other) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // The names of all subkeys, in the registry's enumeration order.
  os::OsResult<std::vector<std::u16string>> subkeyNames() const;
  // A string value without its terminating NUL; other value types fail.
  os::OsResult<std::u16string> stringValue(const std::u16string& name) const;

  // The platform's own representation, defined and built only by its implementation file.
  struct Impl;
  explicit RegKey(std::unique_ptr<Impl> impl);

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace Velotrax::winreg
