// Times int_loop.hdvp (1,000,000 iterations) in the engine against the same
// loop in python3, in the same run, and prints both times and the ratio.
//
//   bench_int_loop BENCH_DIR [COUNT]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "HDevEngineCpp.h"

using namespace HDevEngineCpp;
using HalconCpp::HTuple;

namespace {

// Best of several runs, to keep scheduling noise of a shared machine out.
constexpr int kRuns = 5;

double engineSeconds(HDevProcedure& proc, long long count, long long& result) {
  double best = 1e9;
  for (int i = 0; i < kRuns; ++i) {
    HDevProcedureCall call(proc);
    call.SetInputCtrlParamTuple(1, HTuple(count));
    auto start = std::chrono::steady_clock::now();
    call.Execute();
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result = call.GetOutputCtrlParamTuple(1)[0].L();
    if (s < best) best = s;
  }
  return best;
}

double pythonSeconds(const std::string& script, long long count, long long& result) {
  double best = 1e9;
  for (int i = 0; i < kRuns; ++i) {
    std::string cmd = "python3 \"" + script + "\" " + std::to_string(count);
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    double s = -1;
    if (std::fscanf(p, "%lld %lf", &result, &s) != 2) s = -1;
    pclose(p);
    if (s < 0) return -1;
    if (s < best) best = s;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_int_loop BENCH_DIR [COUNT]\n");
    return 2;
  }
  std::string dir = argv[1];
  long long count = argc > 2 ? std::atoll(argv[2]) : 1000000;
  try {
    HDevEngine().AddProcedurePath(dir.c_str());
    HDevProcedure proc("int_loop");
    long long engineResult = 0, pythonResult = 0;
    double e = engineSeconds(proc, count, engineResult);
    double p = pythonSeconds(dir + "/int_loop.py", count, pythonResult);
    std::printf("iterations: %lld\nengine: %.4f s (result %lld)\n", count, e, engineResult);
    if (p < 0) {
      std::printf("python3: not available\n");
      return 0;
    }
    std::printf("python3: %.4f s (result %lld)\nratio engine/python3: %.3f\n", p, pythonResult,
                e / p);
    return engineResult == pythonResult ? 0 : 1;
  } catch (const HDevEngineException& ex) {
    std::fprintf(stderr, "engine error %d: %s\n", ex.HalconErrorCode(), ex.Message());
    return 1;
  }
}
