// The steps every start of a copy of this program shares on Windows: its executable, and a job
// that ends whatever it starts.
#pragma once

#include <string>

#include "unique_handle_win32.h"

namespace Velotrax::os {

// The runner's own executable, however long its path.
std::wstring ownExecutable();

// The environment block from GetEnvironmentStringsW, handed back when done.
class EnvironmentBlock {
 public:
  EnvironmentBlock() : block_(GetEnvironmentStringsW()) {}
  ~EnvironmentBlock() {
    if (block_) FreeEnvironmentStringsW(block_);
  }
  EnvironmentBlock(const EnvironmentBlock&) = delete;
  EnvironmentBlock& operator=(const EnvironmentBlock&) = delete;
  wchar_t* get() const { return block_; }

 private:
  wchar_t* block_;
};

// A job that kills its processes when its last handle closes: whatever the child starts ends
// with it, also if the runner itself is ended. Empty where jobs cannot nest (before Windows 8):
// the child still runs, unguarded.
UniqueHandle jobFor(HANDLE process);

}  // namespace Velotrax::os
