// Runs each benchmark pattern in the engine (the .hdvp files in BENCH_DIR) and the same
// pattern in python3 (patterns.py), side by side in one run, and prints both times and their
// ratio. Exit status 1 when a result differs between the two.
//
//   bench_scripts BENCH_DIR
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "HDevEngineCpp.h"

using namespace HDevEngineCpp;
using HalconCpp::HTuple;

namespace {

struct Pattern {
  const char* name;
  long long count;
};

// int_loop: scalar integer arithmetic. tuple_concat: T := [T, I]. tuple_index: T[|T|] := I
// (python3: append). text_concat: S := S + 'abc'. tuple_literal: loading a script with a tuple
// literal of `count` elements (python3: compiling and evaluating the same list literal).
constexpr Pattern kPatterns[] = {
    {"int_loop", 1000000},   {"tuple_concat", 20000},  {"tuple_concat", 100000},
    {"tuple_index", 20000},  {"tuple_index", 100000},  {"text_concat", 20000},
    {"text_concat", 100000}, {"tuple_literal", 80000},
};

// The best of up to five runs, fewer when the runs are slow, to keep out the noise of a
// shared machine without waiting minutes for a slow pattern.
double best(const std::function<double()>& run) {
  double best = 1e300, total = 0;
  for (int i = 0; i < 5 && total < 2.0; ++i) {
    double s = run();
    if (s < 0) return -1;
    total += s;
    best = std::min(best, s);
  }
  return best;
}

double seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Writes a procedure whose body is one tuple literal of `count` elements.
std::string writeLiteralProcedure(long long count) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "velotrax-bench";
  std::filesystem::create_directories(dir);
  std::string literal;
  for (long long i = 0; i < count; ++i) literal += (i ? ", " : "") + std::to_string(i);
  std::ofstream(dir / "tuple_literal.hdvp")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<hdevelop file_version=\"1.1\" halcon_version=\"13.0\">\n"
         "<procedure name=\"tuple_literal\">\n<interface>\n"
         "<ic>\n<par name=\"Count\" base_type=\"ctrl\" dimension=\"0\"/>\n</ic>\n"
         "<oc>\n<par name=\"Result\" base_type=\"ctrl\" dimension=\"0\"/>\n</oc>\n"
         "</interface>\n<body>\n<l>Result := |["
      << literal << "]|</l>\n</body>\n</procedure>\n</hdevelop>\n";
  return dir.string();
}

double engineSeconds(const Pattern& p, long long& result) {
  return best([&] {
    HDevEngine().UnloadAllProcedures();  // a load is part of the tuple_literal pattern
    auto start = std::chrono::steady_clock::now();
    HDevProcedure proc(p.name);
    if (std::string(p.name) != "tuple_literal") start = std::chrono::steady_clock::now();
    HDevProcedureCall call(proc);
    call.SetInputCtrlParamTuple(1, HTuple(p.count));
    call.Execute();
    double s = seconds(start);
    result = call.GetOutputCtrlParamTuple(1)[0].L();
    return s;
  });
}

double pythonSeconds(const std::string& script, const Pattern& p, long long& result) {
  return best([&] {
    std::string cmd =
        "python3 \"" + script + "\" " + p.name + " " + std::to_string(p.count) + " 2>/dev/null";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return -1.0;
    double s = -1;
    if (std::fscanf(pipe, "%lld %lf", &result, &s) != 2) s = -1;
    pclose(pipe);
    return s;
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_scripts BENCH_DIR\n");
    return 2;
  }
  std::string dir = argv[1];
  int status = 0;
  try {
    HDevEngine engine;
    engine.AddProcedurePath(dir.c_str());
    const std::string literalDir = writeLiteralProcedure(80000);
    engine.AddProcedurePath(literalDir.c_str());
    std::printf("%-14s %8s %12s %12s %15s\n", "pattern", "count", "engine s", "python3 s",
                "engine/python3");
    for (const Pattern& p : kPatterns) {
      long long engineResult = 0, pythonResult = 0;
      double e = engineSeconds(p, engineResult);
      double py = pythonSeconds(dir + "/patterns.py", p, pythonResult);
      if (py < 0) {
        std::printf("%-14s %8lld %12.4f %12s\n", p.name, p.count, e, "unavailable");
        continue;
      }
      std::printf("%-14s %8lld %12.4f %12.4f %15.3f%s\n", p.name, p.count, e, py, e / py,
                  engineResult == pythonResult ? "" : "  results differ");
      std::fflush(stdout);
      if (engineResult != pythonResult) status = 1;
    }
    std::filesystem::remove_all(literalDir);
  } catch (const HDevEngineException& ex) {
    std::fprintf(stderr, "engine error %d: %s\n", ex.HalconErrorCode(), ex.Message());
    return 1;
  }
  return status;
}
