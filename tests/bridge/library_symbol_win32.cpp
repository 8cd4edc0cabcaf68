#include <windows.h>

#include <initializer_list>

#include "library_symbol.h"

void* librarySymbol(const char* name) {
  for (const char* module : {"halconcpp.dll", "halcon.dll"})
    if (HMODULE loaded = GetModuleHandleA(module))
      if (FARPROC symbol = GetProcAddress(loaded, name)) return reinterpret_cast<void*>(symbol);
  return nullptr;
}
