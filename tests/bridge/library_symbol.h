// Finds a function of the vision library that this program defines itself as well, so that its
// own definition can pass calls on to the library's.
#pragma once

// The library's definition of the (mangled) name, or null.
void* librarySymbol(const char* name);
