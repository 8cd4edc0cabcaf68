#include <dlfcn.h>

#include <fstream>
#include <set>

#include "target_library.h"

void* openTargetLibrary(const std::string& path) {
  return ::dlopen(path.c_str(), RTLD_NOW);
}

void* targetSymbol(void* library, const char* name) {
  return ::dlsym(library, name);
}

// From /proc/self/maps: the last field of a line is the mapped file.
std::vector<std::string> mappedVisionLibraries() {
  std::ifstream maps("/proc/self/maps");
  std::set<std::string> seen;
  std::vector<std::string> files;
  for (std::string line; std::getline(maps, line);) {
    const size_t path = line.find('/');
    if (path == std::string::npos) continue;
    const std::string file = line.substr(path);
    const std::string name = file.substr(file.rfind('/') + 1);
    if ((name.rfind("libhalcon", 0) == 0 || name.rfind("libhdevengine", 0) == 0) &&
        seen.insert(file).second)
      files.push_back(file);
  }
  return files;
}
