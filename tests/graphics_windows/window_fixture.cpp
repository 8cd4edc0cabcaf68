#include "window_fixture.h"

#include <cstdlib>

using namespace HDevEngineCpp;
using HalconCpp::HException;

void WindowScriptTest::SetUp() {
  ScriptTest::SetUp();
  HDevEngine().SetHDevOperatorImpl(&impl, true);
}

void WindowScriptTest::TearDown() {
  HDevEngine().SetHDevOperatorImpl(nullptr, true);
  while (!impl.windows().empty()) impl.OnCloseWindow();
  ScriptTest::TearDown();
}

Picture WindowScriptTest::draw(std::vector<std::string> lines) {
  lines.push_back("dump_window (W, 'png', '" + dir + "/dump')");
  EngineError e = runProgramLines(lines);
  EXPECT_EQ(e.code, 0);
  EXPECT_EQ(e.op + ": " + e.message, ": ");  // names the failing line's operator
  return readPicture(dir + "/dump.png");
}

HalconCpp::HObject WindowScriptTest::objectFrom(const std::vector<std::string>& lines) {
  static int counter = 0;
  const std::string name = "make_object_" + std::to_string(counter++);
  writeProcedure(name, {{}, {"Obj"}, {}, {}}, lines);
  HDevProcedure procedure(name.c_str());
  HDevProcedureCall call(procedure);
  call.Execute();
  return call.GetOutputIconicParamObject(1);
}

int codeOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const HException& e) {
    return e.ErrorCode();
  }
  return 0;
}

bool screenExpected() {
  const char* expect = std::getenv("VELOTRAX_EXPECT_SCREEN");
  return expect && std::string(expect) == "1";
}
