#include <windows.h>

#include "target_library.h"

void* openTargetLibrary(const std::string& path) {
  return reinterpret_cast<void*>(LoadLibraryExA(path.c_str(), nullptr, 0));
}

void* targetSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

// The loaded modules of those names, by the path the system loaded them from.
std::vector<std::string> mappedVisionLibraries() {
  std::vector<std::string> files;
  for (const char* name : {"halcon.dll", "halconc.dll", "halconcpp.dll", "hdevenginecpp.dll"}) {
    HMODULE module = GetModuleHandleA(name);
    char path[MAX_PATH * 4];
    const DWORD length = module ? GetModuleFileNameA(module, path, sizeof path) : 0;
    if (length > 0 && length < sizeof path) files.emplace_back(path, length);
  }
  return files;
}
