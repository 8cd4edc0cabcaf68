#include <dlfcn.h>

#include "library_symbol.h"

void* librarySymbol(const char* name) {
  // The next definition after this program's own: the shared library's.
  return dlsym(RTLD_NEXT, name);
}
