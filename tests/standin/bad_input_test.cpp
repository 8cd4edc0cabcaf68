// Bad input gives a clear engine error, never a crash or a hang.
#include <string>

#include "script_fixture.h"

using namespace HDevEngineCpp;
using HalconCpp::HTuple;

class BadInput : public ScriptTest {};

TEST_F(BadInput, MissingFile) {
  EngineError e = loadProgram(dir + "/does_not_exist.hdev");
  EXPECT_EQ(e.code, 5200);
  EXPECT_EQ(e.line, -1);
  EXPECT_NE(e.message.find("does_not_exist.hdev"), std::string::npos);
}

TEST_F(BadInput, EmptyAndMalformedFiles) {
  EXPECT_EQ(loadProgram(write("empty.hdev", "")).code, 21019);
  EXPECT_EQ(loadProgram(write("blank.hdev", "  \n\n")).code, 21019);
  EngineError broken = loadProgram(
      write("broken.hdev", "<hdevelop><procedure name=\"main\"><body><l>X := 1</body>"));
  EXPECT_EQ(broken.code, 21019);
  EXPECT_NE(broken.message.find("Malformed script file"), std::string::npos);
  EXPECT_EQ(loadProgram(write("other.hdev", "<?xml version=\"1.0\"?><other/>")).code, 21019);
  EXPECT_EQ(loadProgram(write("noproc.hdev", "<hdevelop file_version=\"1.1\"></hdevelop>")).code,
            21019);
}

TEST_F(BadInput, OldTextFormatsAreNotSupported) {
  EngineError dev = loadProgram(write("old.dev", "main()\n{\n}\n"));
  EXPECT_EQ(dev.code, 21018);
  EXPECT_NE(dev.message.find("not supported"), std::string::npos);
  EXPECT_EQ(loadProgram(write("text.hdev", "main ()\n")).code, 21018);
}

TEST_F(BadInput, DeepRecursionIsAnEngineError) {
  writeProcedure("bad_forever", {{}, {}, {"N"}, {}}, {"bad_forever (N + 1)"});
  EngineError e = callError("bad_forever", {HTuple(0)});
  EXPECT_EQ(e.code, 21013);
  EXPECT_EQ(e.procedure, "bad_forever");
  EXPECT_EQ(e.line, 1);
}

TEST_F(BadInput, HugeTuplesAreRefused) {
  EngineError e = runProgramLines({"tuple_gen_const (100000000, 0, T)"});
  EXPECT_EQ(e.code, 21014);
  EngineError grow = runProgramLines({"T := [1]", "while (1)", "    T := [T, T]", "endwhile"});
  EXPECT_EQ(grow.code, 21014);
  EXPECT_EQ(grow.line, 3);
  EngineError index = runProgramLines({"T := []", "T[100000000] := 1"});
  EXPECT_EQ(index.code, 21014);
}

TEST_F(BadInput, HostileLinesAreInvalid) {
  std::string deep(500, '(');
  std::string path =
      write("deep.hdev", fileXml({procedureXml("main", {},
                                               {"X := " + deep + "1", "Y := 'unterminated",
                                                "Z := 1 @ 2", "W := 99999999999999999999"})}));
  EXPECT_EQ(loadProgram(path).message,
            "Error(s) in procedure 'main': there are invalid program lines: 1, 2, 3, 4");
  std::string nested;
  for (int i = 0; i < 150; ++i) nested += "if (1)\n";
  std::vector<std::string> lines;
  for (int i = 0; i < 150; ++i)
    lines.push_back(std::string(static_cast<size_t>(i) * 4 % 40, ' ') + "if (1)");
  for (int i = 0; i < 150; ++i) lines.push_back("endif");
  EXPECT_EQ(loadProgram(write("nest.hdev", fileXml({procedureXml("main", {}, lines)}))).code, 4);
}

TEST_F(BadInput, WrongParameterIndexOnCalls) {
  writeProcedure("bad_one_in", {{}, {}, {"A"}, {"B"}}, {"B := A"});
  HDevProcedure p("bad_one_in");
  HDevProcedureCall c(p);
  EXPECT_THROW(c.SetInputCtrlParamTuple(2, HTuple(1)), HDevEngineException);
  EXPECT_THROW(c.GetOutputCtrlParamTuple(0), HDevEngineException);
  // An input that was never set is an empty tuple.
  HDevProcedureCall unset(p);
  unset.Execute();
  EXPECT_EQ(unset.GetOutputCtrlParamTuple(1).Length(), 0);
}
