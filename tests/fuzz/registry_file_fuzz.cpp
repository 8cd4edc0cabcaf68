// libFuzzer target for the registry file reader: any bytes are parsed, and everything the parse
// produced is looked up, enumerated and converted back to UTF-8.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "os/registry_file.h"
#include "os/utf16.h"

namespace {

using Velotrax::winreg::FileKey;

// Walks the tree without recursion (keys nest up to 512 levels).
void visit(const Velotrax::winreg::RegistryFile& file) {
  std::vector<const FileKey*> pending{&file.root};
  while (!pending.empty()) {
    const FileKey* key = pending.back();
    pending.pop_back();
    for (const auto& [name, value] : key->values) {
      if (key->value(name) != &value) __builtin_trap();
      // The reader only keeps valid text.
      if (!Velotrax::os::utf16ToUtf8(value.text)) __builtin_trap();
    }
    for (const auto& subkey : key->subkeys) {
      if (key->subkey(subkey->name) != subkey.get()) __builtin_trap();
      pending.push_back(subkey.get());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Velotrax::winreg::RegistryFile file = Velotrax::winreg::parseRegistryFile(text, "fuzz.reg");
  visit(file);
  Velotrax::winreg::findKey(file, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\MVTec\\HALCON\\");
  return 0;
}
