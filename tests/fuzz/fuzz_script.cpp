// Fuzz target: loads the input as a program and as an external procedure, then runs what
// loads, under step, time and memory limits. Anything but a clean engine error (a crash, a
// sanitizer finding, a leak, another exception) is a finding.
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "HDevEngineCpp.h"
#include "os/unique_fd_posix.h"
#include "run_limits.h"

namespace fs = std::filesystem;
using namespace HDevEngineCpp;

namespace {

fs::path workDirectory;

// The name of the input's first procedure when it can name a file, else empty.
std::string procedureName(const std::string& text) {
  const std::string marker = "<procedure name=\"";
  size_t start = text.find(marker);
  if (start == std::string::npos) return {};
  start += marker.size();
  size_t end = text.find('"', start);
  if (end == std::string::npos || end == start || end - start > 64) return {};
  std::string name = text.substr(start, end - start);
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return {};
  return name;
}

void write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Once per process, before the first input (also when inputs are only replayed).
bool prepare() {
  workDirectory = fs::temp_directory_path() / ("velotrax-fuzz-" + std::to_string(getpid()));
  fs::create_directories(workDirectory);
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(workDirectory, ignored);
  });
  // Scripts may print; none may wait for input.
  const Velotrax::os::UniqueFd null(open("/dev/null", O_RDWR));
  dup2(null.get(), STDIN_FILENO);
  dup2(null.get(), STDOUT_FILENO);
  standin::RunLimits limits;
  limits.steps = 20000;
  limits.seconds = 1;
  limits.valueBytes = size_t{4} << 20;
  limits.fileOutput = false;
  limits.testThreads = false;
  standin::setRunLimits(limits);
  HDevEngine().AddProcedurePath(workDirectory.string().c_str());
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = prepare();
  (void)prepared;
  const std::string text(reinterpret_cast<const char*>(data), size);
  HDevEngine engine;
  const fs::path program = workDirectory / "fuzz.hdev";
  write(program, text);
  try {
    HDevProgram loaded(program.string().c_str());
    HDevProgramCall call(loaded);
    call.Execute();
  } catch (const HDevEngineException&) {
  }
  fs::remove(program);
  if (std::string name = procedureName(text); !name.empty()) {
    const fs::path procedure = workDirectory / (name + ".hdvp");
    write(procedure, text);
    engine.UnloadAllProcedures();
    try {
      HDevProcedure loaded(name.c_str());
      HDevProcedureCall call(loaded);
      call.Execute();
    } catch (const HDevEngineException&) {
    }
    fs::remove(procedure);
  }
  engine.UnloadAllProcedures();
  return 0;
}
