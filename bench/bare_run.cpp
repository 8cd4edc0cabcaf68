// The least a program must do to run a procedure through the bridge: load the installation's
// libraries and the bridge, bind its entries, start the engine, hand over the procedure path
// and two integer inputs, execute, print the outputs. The single-run benchmark sets velotrax
// against it.
//
//   bench_bare_run BRIDGE_FILE PROCEDURE_DIR PROCEDURE A B     (HALCONROOT names the installation)
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "brimlet_exports.h"

namespace {

struct Entries {
#define BENCH_FIELD(name, result, parameters) brimlet_##name##_fn name = nullptr;
  BRIMLET_EXPORTS(BENCH_FIELD)
#undef BENCH_FIELD
};

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "bench_bare_run: %s\n", what.c_str());
  std::exit(1);
}

void check(EngineErrorRecord* record, const char* what) {
  if (record) fail(std::string(what) + ": " + (record->message ? record->message : "failed"));
}

void print(const char* text) {
  std::printf("%s\n", text);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) fail("usage: bench_bare_run BRIDGE_FILE PROCEDURE_DIR PROCEDURE A B");
  const char* root = std::getenv("HALCONROOT");
  if (!root) fail("HALCONROOT is not set");
  for (const char* library :
       {"libhalcon.so.13.0", "libhalconcpp.so.13.0", "libhdevenginecpp.so.13.0"})
    if (!dlopen((std::string(root) + "/lib/x64-linux/" + library).c_str(), RTLD_NOW | RTLD_GLOBAL))
      fail(dlerror());
  void* bridge = dlopen(argv[1], RTLD_NOW);
  if (!bridge) fail(dlerror());
  Entries e;
#define BENCH_BIND(name, result, parameters)                            \
  e.name = reinterpret_cast<brimlet_##name##_fn>(dlsym(bridge, #name)); \
  if (!e.name) fail("missing " #name);
  BRIMLET_EXPORTS(BENCH_BIND)
#undef BENCH_BIND

  check(e.hinit(0), "hinit");
  check(e.hsetStdOutHandler(print), "hsetStdOutHandler");
  check(e.haddProcedurePath(argv[2]), "haddProcedurePath");
  ProcedureHandle procedure = nullptr;
  check(e.hcreateProcedure(argv[3], &procedure), "hcreateProcedure");
  ProcedureCallHandle call = nullptr;
  check(e.hcreateProcedureCall(procedure, &call), "hcreateProcedureCall");
  for (int i = 0; i < 2; ++i) {
    TupleHandle input = nullptr;
    check(e.hcreateTuple(&input), "hcreateTuple");
    e.happendTupleLong(input, std::atoll(argv[4 + i]));
    check(e.hprocedurecallSetInputCtrlParamTuple(call, i + 1, input), "set input");
    e.hfreeTuple(input);
  }
  check(e.hprocedurecallExecute(call), "execute");
  int32_t outputs = 0;
  check(e.hprocedureGetOutputCtrlParamCount(procedure, &outputs), "output count");
  for (int32_t i = 1; i <= outputs; ++i) {
    const char* name = nullptr;
    check(e.hprocedureGetOutputCtrlParamName(procedure, i, &name), "output name");
    TupleHandle value = nullptr;
    check(e.hprocedurecallGetOutputCtrlParamTuple(call, i, &value), "output");
    std::printf("%s: %lld\n", name, static_cast<long long>(e.hgetTupleElemLong(value, 0)));
    e.hfreeTuple(value);
  }
  e.hfreeProcedureCall(call);
  e.hfreeProcedure(procedure);
  std::fflush(stdout);
  _Exit(0);
}
