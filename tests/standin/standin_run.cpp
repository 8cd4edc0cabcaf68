// Small script runner over the public engine interface: loads a program or an
// external procedure, runs it and prints the procedure's outputs, or the
// engine error field by field. Exit status 0 on success, 1 on any error.
// Scripts' dev_ window operators go to a plain window stack (WindowStackImpl).
//
//   standin_run [--check] [--path DIRS] [--ignore-invalid] [--ignore-unresolved] SCRIPT [ARG...]
//
// ARG: an integer, a real, or 'text'.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "HDevEngineCpp.h"
#include "HalconCpp.h"
#include "window_stack_impl.h"

using namespace HDevEngineCpp;
using HalconCpp::HTuple;

namespace {

HTuple parseArgument(const std::string& text) {
  if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'')
    return HTuple(text.substr(1, text.size() - 2).c_str());
  char* end = nullptr;
  long long i = std::strtoll(text.c_str(), &end, 10);
  if (*end == '\0') return HTuple(i);
  double d = std::strtod(text.c_str(), &end);
  if (*end == '\0') return HTuple(d);
  return HTuple(text.c_str());
}

std::string directoryOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string procedureName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  return file.substr(0, file.find_last_of('.'));
}

bool endsWith(const std::string& s, const char* suffix) {
  size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

int run(int argc, char** argv) {
  HDevEngine engine;
  static WindowStackImpl windows;  // the engine keeps using it until the process ends
  engine.SetHDevOperatorImpl(&windows, true);
  bool check = false;
  int i = 1;
  for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
    std::string opt = argv[i];
    if (opt == "--check")
      check = true;
    else if (opt == "--ignore-invalid")
      engine.SetEngineAttribute("ignore_invalid_lines", HTuple(1));
    else if (opt == "--ignore-unresolved")
      engine.SetEngineAttribute("ignore_unresolved_lines", HTuple(1));
    else if (opt == "--path" && i + 1 < argc)
      engine.AddProcedurePath(argv[++i]);
    else {
      std::fprintf(stderr, "unknown option %s\n", argv[i]);
      return 2;
    }
  }
  if (i >= argc) {
    std::fprintf(stderr, "usage: standin_run [--check] [--path DIRS] SCRIPT [ARG...]\n");
    return 2;
  }
  std::string script = argv[i++];
  if (endsWith(script, ".hdev")) {
    HDevProgram program(script.c_str());
    if (check) return std::printf("check succeeded\n"), 0;
    HDevProgramCall call(program);
    call.Execute();
    return 0;
  }
  engine.AddProcedurePath(directoryOf(script).c_str());
  HDevProcedure procedure(procedureName(script).c_str());
  if (check) return std::printf("check succeeded\n"), 0;
  HDevProcedureCall call(procedure);
  for (int k = 1; i < argc; ++i, ++k) call.SetInputCtrlParamTuple(k, parseArgument(argv[i]));
  call.Execute();
  for (int k = 1; k <= procedure.GetOutputCtrlParamCount(); ++k)
    std::printf("%s: %s\n", procedure.GetOutputCtrlParamName(k),
                call.GetOutputCtrlParamTuple(k).ToString().Text());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const HDevEngineException& e) {
    std::printf("engine error\ncode: %d\nprocedure: %s\noperator: %s\nline: %d\nmessage: %s\n",
                e.HalconErrorCode(), e.ExecProcedureName(), e.ProgLineName(), e.ProgLineNum(),
                e.Message());
  } catch (const HalconCpp::HException& e) {
    std::printf("library error\ncode: %d\noperator: %s\nmessage: %s\n", e.ErrorCode(),
                e.ProcName().Text(), e.ErrorMessage().Text());
  }
  std::fflush(stdout);
  return 1;
}
