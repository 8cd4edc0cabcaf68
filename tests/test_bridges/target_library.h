// The recording bridge's view of the library it forwards to and of the process it lives in.
#pragma once

#include <string>
#include <vector>

// Loads the library at `path` for the life of the process; null on failure.
void* openTargetLibrary(const std::string& path);

// The address of an export of that library, or null.
void* targetSymbol(void* library, const char* name);

// The files of the vision-library and engine libraries the process has mapped.
std::vector<std::string> mappedVisionLibraries();
