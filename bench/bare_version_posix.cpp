// The least a program must do to answer the version query: load the installation's libraries
// and the bridge, call hgetsystem, print the one element. The reference for velotrax
// --get-version in the get-version benchmark.
//
//   bare_version HALCONROOT BRIDGE
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "brimlet_exports.h"

namespace {

template <class Entry>
Entry entry(void* bridge, const char* name) {
  return reinterpret_cast<Entry>(dlsym(bridge, name));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  // The bridge carries no search path: its libraries are loaded first, globally.
  const std::string directory = std::string(argv[1]) + "/lib/x64-linux/";
  for (const char* library : {"libhalcon.so", "libhalconcpp.so", "libhdevenginecpp.so"})
    if (!dlopen((directory + library).c_str(), RTLD_NOW | RTLD_GLOBAL)) return 1;
  void* bridge = dlopen(argv[2], RTLD_NOW);
  if (!bridge) return 1;
  auto hgetsystem = entry<brimlet_hgetsystem_fn>(bridge, "hgetsystem");
  auto length = entry<brimlet_hgetTupleLength_fn>(bridge, "hgetTupleLength");
  auto text =
      entry<brimlet_hgetTupleElemString_TO_BE_FREED_fn>(bridge, "hgetTupleElemString_TO_BE_FREED");
  auto freeText = entry<brimlet_hfreeTupleElemString_fn>(bridge, "hfreeTupleElemString");
  auto freeTuple = entry<brimlet_hfreeTuple_fn>(bridge, "hfreeTuple");
  TupleHandle version = nullptr;
  if (hgetsystem("version", &version) || length(version) != 1) return 1;
  char* answer = text(version, 0);
  std::printf("halconversion:%s\n", answer);
  std::fflush(stdout);
  freeText(answer);
  freeTuple(version);
  _exit(0);  // like velotrax: no clean-up at the end
}
