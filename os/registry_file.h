// A registry export file, the Linux runner's read-only registry. The format is the one Windows'
// registry editor writes:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\MVTec\HALCON\13.0\Initialized]
//   "InstallDir"="/opt/halcon"
//
// The file is UTF-16LE with a byte order mark, as the registry editor writes it, or UTF-8 with
// or without one; its first line is that header or the older "REGEDIT4". Strings escape "\\"
// and "\""; dword: and hex: values are kept as values of another type. Key and value names
// compare without regard to ASCII letter case. A malformed line is reported with its line
// number and makes the key that holds it unopenable.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Velotrax::winreg {

// One key of the file.
struct FileKey {
  struct Value {
    bool isString = false;
    std::u16string text;  // strings only
  };

  std::u16string name;
  bool damaged = false;                                    // holds a malformed line: does not open
  std::vector<std::unique_ptr<FileKey>> subkeys;           // in the order the file first names them
  std::unordered_map<std::u16string, size_t> subkeyIndex;  // folded name -> position
  std::unordered_map<std::u16string, Value> values;        // folded name -> value

  const FileKey* subkey(std::u16string_view name) const;
  const Value* value(std::u16string_view name) const;
};

struct RegistryFile {
  FileKey root;        // its subkeys are the root keys (HKEY_LOCAL_MACHINE, ...)
  bool usable = true;  // false when the file as a whole is no registry file: no key opens
  std::vector<std::string> warnings;  // one per malformed line, naming the file and the line
};

// Reads the text of a registry file; `fileName` appears in the warnings.
RegistryFile parseRegistryFile(std::string_view text, const std::string& fileName);

// The key at a backslash-separated path from the root ("HKEY_LOCAL_MACHINE\SOFTWARE\..."); a
// trailing backslash is allowed. Null when there is none.
const FileKey* findKey(const RegistryFile& file, std::u16string_view path);

}  // namespace Velotrax::winreg
