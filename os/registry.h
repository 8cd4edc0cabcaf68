// The registry, read only: keys under HKEY_LOCAL_MACHINE, their subkeys and string values.
// On Linux the registry is a registry export file (see registry_file.h).
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace Velotrax::winreg {

// The messages of the five failing registry calls.
inline constexpr const char* kOpenKeyFailed = "RegOpenKeyEx failed.";
inline constexpr const char* kQueryInfoFailed =
    "RegQueryInfoKey failed while preparing for subkey enumeration.";
inline constexpr const char* kEnumKeyFailed = "Cannot enumerate subkeys: RegEnumKeyEx failed.";
inline constexpr const char* kValueSizeFailed =
    "Cannot get size of string value: RegGetValue failed.";
inline constexpr const char* kValueFailed = "Cannot get string value: RegGetValue failed.";

// A failed registry call: its message and the system's error code.
class RegException : public std::runtime_error {
 public:
  RegException(const char* message, long code) : std::runtime_error(message), code_(code) {}
  long code() const { return code_; }

 private:
  long code_;
};

// Receives a warning about the registry's storage (Linux: a malformed line of the file).
using RegistryWarning = std::function<void(const std::string& text)>;

// A key opened for reading, closed when its owner goes. Move-only.
class RegKey {
 public:
  // Opens `path` (components separated by backslashes) under HKEY_LOCAL_MACHINE.
  static RegKey openLocalMachine(const std::u16string& path, const RegistryWarning& warn);

  RegKey();
  ~RegKey();
  RegKey(RegKey&& other) noexcept;
  RegKey& operator=(RegKey&& other) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // The names of all subkeys, in the registry's enumeration order.
  std::vector<std::u16string> subkeyNames() const;
  // A string value without its terminating NUL; other value types fail.
  std::u16string stringValue(const std::u16string& name) const;

  // The platform's own representation, defined and built only by its implementation file.
  struct Impl;
  explicit RegKey(std::unique_ptr<Impl> impl);

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace Velotrax::winreg
