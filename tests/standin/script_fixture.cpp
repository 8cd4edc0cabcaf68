#include "script_fixture.h"

#include "../xml_text.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace HDevEngineCpp;
using HalconCpp::HTuple;

namespace {

void parList(std::string& xml, const char* tag, const std::vector<std::string>& names,
             const char* type) {
  if (names.empty()) return;
  xml += std::string("<") + tag + ">\n";
  for (const auto& n : names)
    xml += "<par name=\"" + n + "\" base_type=\"" + type + "\" dimension=\"0\"/>\n";
  xml += std::string("</") + tag + ">\n";
}

}  // namespace

std::string procedureXml(const std::string& name, const Iface& iface,
                         const std::vector<std::string>& lines) {
  std::string xml = "<procedure name=\"" + name + "\">\n";
  if (iface.io.empty() && iface.oo.empty() && iface.ic.empty() && iface.oc.empty()) {
    xml += "<interface/>\n";
  } else {
    xml += "<interface>\n";
    parList(xml, "io", iface.io, "iconic");
    parList(xml, "oo", iface.oo, "iconic");
    parList(xml, "ic", iface.ic, "ctrl");
    parList(xml, "oc", iface.oc, "ctrl");
    xml += "</interface>\n";
  }
  xml += "<body>\n";
  for (const auto& l : lines) {
    bool comment = l.empty() || l[0] == '*';
    xml += comment ? "<c>" + xmlEscaped(l) + "</c>\n" : "<l>" + xmlEscaped(l) + "</l>\n";
  }
  xml += "</body>\n<docu id=\"" + name + "\">\n<parameters/>\n</docu>\n</procedure>\n";
  return xml;
}

std::string fileXml(const std::vector<std::string>& procedures) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<hdevelop file_version=\"1.1\" "
      "halcon_version=\"13.0\">\n";
  for (const auto& p : procedures) xml += p;
  return xml + "</hdevelop>\n";
}

void ScriptTest::SetUp() {
  static std::atomic<int> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path p = fs::temp_directory_path() /
               ("standin-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(p);
  dir = p.generic_string();  // forward slashes: usable inside script string literals
  HDevEngine engine;
  engine.SetEngineAttribute("ignore_invalid_lines", HTuple(0));
  engine.SetEngineAttribute("ignore_unresolved_lines", HTuple(0));
  engine.SetHDevOperatorImpl(nullptr, true);
  engine.UnloadAllProcedures();
  engine.AddProcedurePath(dir.c_str());
}

void ScriptTest::TearDown() {
  std::error_code ec;
  fs::remove_all(dir, ec);
}

// With STANDIN_SCRIPT_CORPUS set, the first scripts each test (each test directory) writes
// are also kept there, named by content, as seeds for the fuzz target.
namespace {
void keepForCorpus(const std::string& testDir, const std::string& content) {
  static const char* corpus = std::getenv("STANDIN_SCRIPT_CORPUS");
  static std::string lastTest;
  static int kept = 0;
  constexpr int kScriptsPerTest = 8;
  constexpr size_t kMaxSeed = size_t{1} << 20;  // the fuzz target's longest input
  if (!corpus || content.size() > kMaxSeed) return;
  if (testDir != lastTest) lastTest = testDir, kept = 0;
  if (kept++ >= kScriptsPerTest) return;
  fs::create_directories(corpus);
  std::ofstream(fs::path(corpus) / ("seed-" + std::to_string(std::hash<std::string>{}(content))),
                std::ios::binary)
      << content;
}
}  // namespace

std::string ScriptTest::write(const std::string& name, const std::string& content) {
  fs::path p = fs::path(dir) / name;
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
  keepForCorpus(dir, content);
  return p.string();
}

std::string ScriptTest::writeProcedure(const std::string& name, const Iface& iface,
                                       const std::vector<std::string>& lines) {
  return write(name + ".hdvp", fileXml({procedureXml(name, iface, lines)}));
}

std::vector<HTuple> ScriptTest::call(const std::string& name, const std::vector<HTuple>& inputs) {
  HDevProcedure proc(name.c_str());
  HDevProcedureCall c(proc);
  for (size_t i = 0; i < inputs.size(); ++i)
    c.SetInputCtrlParamTuple(static_cast<int>(i + 1), inputs[i]);
  c.Execute();
  std::vector<HTuple> out;
  for (int i = 1; i <= proc.GetOutputCtrlParamCount(); ++i)
    out.push_back(c.GetOutputCtrlParamTuple(i));
  return out;
}

EngineError fromException(const HDevEngineException& e) {
  return EngineError{e.HalconErrorCode(), e.ExecProcedureName(), e.ProgLineName(), e.Message(),
                     e.ProgLineNum()};
}

EngineError ScriptTest::runProgramLines(const std::vector<std::string>& lines,
                                        const std::string& file) {
  return runProgram(write(file, fileXml({procedureXml("main", {}, lines)})));
}

EngineError ScriptTest::runProgram(const std::string& path) {
  try {
    HDevProgram program(path.c_str());
    HDevProgramCall c(program);
    c.Execute();
  } catch (const HDevEngineException& e) {
    return fromException(e);
  }
  return {};
}

EngineError ScriptTest::loadProgram(const std::string& path) {
  try {
    HDevProgram program(path.c_str());
  } catch (const HDevEngineException& e) {
    return fromException(e);
  }
  return {};
}

EngineError ScriptTest::callError(const std::string& name, const std::vector<HTuple>& inputs) {
  try {
    call(name, inputs);
  } catch (const HDevEngineException& e) {
    return fromException(e);
  }
  return {};
}

std::string text(const HTuple& t) {
  return t.ToString().Text();
}
