// Load errors: invalid lines and unresolved calls, exact messages, and the
// ignore attributes.
#include "script_fixture.h"

using namespace HDevEngineCpp;
using HalconCpp::HTuple;

class LoadErrors : public ScriptTest {};

TEST_F(LoadErrors, OneInvalidLineInMain) {
  std::string path = write(
      "bad.hdev",
      fileXml({procedureXml(
          "main", {}, {"* comment counts as line 1", "X := 1", "", "Y := (X + ", "Z := 2"})}));
  EngineError e = loadProgram(path);
  EXPECT_EQ(e.code, 4);
  EXPECT_EQ(e.line, -1);
  EXPECT_EQ(e.message, "Error(s) in procedure 'main': there is an invalid program line: 4");
  EXPECT_EQ(e.procedure, "main (bad.hdev)");
}

TEST_F(LoadErrors, SeveralInvalidLinesAreListed) {
  std::string path = write(
      "bad2.hdev",
      fileXml({procedureXml(
          "main", {}, {"X := 1 +", "endif", "if (X > 0)", "    Y := 1", "for I := 1 until 3"})}));
  EngineError e = loadProgram(path);
  EXPECT_EQ(e.code, 4);
  EXPECT_EQ(e.message, "Error(s) in procedure 'main': there are invalid program lines: 1, 2, 3, 5");
}

TEST_F(LoadErrors, UnresolvedCallsAreListed) {
  std::string path =
      write("unres.hdev",
            fileXml({procedureXml("main", {},
                                  {"no_such_procedure (1, X)", "* fine", "another_missing ()"})}));
  EngineError e = loadProgram(path);
  EXPECT_EQ(e.code, 4);
  EXPECT_EQ(e.message, "Error(s) in procedure 'main': there are unresolved procedure calls: 1, 3");
  std::string one =
      write("unres1.hdev", fileXml({procedureXml("main", {}, {"X := 1", "missing_one ()"})}));
  EXPECT_EQ(loadProgram(one).message,
            "Error(s) in procedure 'main': there is an unresolved procedure call: 2");
}

TEST_F(LoadErrors, ErrorInLocalProcedureNamesIt) {
  std::string path =
      write("local.hdev", fileXml({procedureXml("main", {}, {"helper (1)"}),
                                   procedureXml("helper", {{}, {}, {"A"}, {}}, {"B := A *"})}));
  EngineError e = loadProgram(path);
  EXPECT_EQ(e.message, "Error(s) in procedure 'helper': there is an invalid program line: 1");
  EXPECT_EQ(e.procedure, "helper");
}

TEST_F(LoadErrors, WrongArgumentCountIsInvalid) {
  std::string path =
      write("args.hdev", fileXml({procedureXml("main", {}, {"tuple_length ([1, 2])"})}));
  EXPECT_EQ(loadProgram(path).message,
            "Error(s) in procedure 'main': there is an invalid program line: 1");
  std::string out =
      write("out.hdev", fileXml({procedureXml("main", {}, {"tuple_length ([1, 2], 3)"})}));
  EXPECT_EQ(loadProgram(out).message,
            "Error(s) in procedure 'main': there is an invalid program line: 1");
}

TEST_F(LoadErrors, IgnoredInvalidLineFailsWhenExecuted) {
  HDevEngine().SetEngineAttribute("ignore_invalid_lines", HTuple(1));
  std::string path = write(
      "ign.hdev",
      fileXml({procedureXml(
          "main", {}, {"X := 1", "* comment", "if (X > 5)", "    Y := ]", "endif", "Z := X +"})}));
  EXPECT_EQ(loadProgram(path).code, 0);
  EngineError e = runProgram(path);
  EXPECT_EQ(e.code, 21015);
  EXPECT_EQ(e.line, 6);
  EXPECT_EQ(e.procedure, "main (ign.hdev)");
}

TEST_F(LoadErrors, IgnoredUnresolvedCallFailsWhenExecuted) {
  HDevEngine engine;
  engine.SetEngineAttribute("ignore_unresolved_lines", HTuple("true"));
  std::string path =
      write("ign2.hdev", fileXml({procedureXml("main", {}, {"X := 1", "missing_proc (X)"})}));
  EXPECT_EQ(loadProgram(path).code, 0);
  EngineError e = runProgram(path);
  EXPECT_EQ(e.code, 21016);
  EXPECT_EQ(e.line, 2);
  EXPECT_EQ(e.op, "missing_proc");
  engine.SetEngineAttribute("ignore_unresolved_lines", HTuple(0));
  EXPECT_EQ(loadProgram(path).code, 4);
}

TEST_F(LoadErrors, UnclosedBlockMarksItsOpener) {
  std::string path =
      write("open.hdev",
            fileXml({procedureXml("main", {}, {"X := 1", "while (X < 3)", "    X := X + 1"})}));
  EXPECT_EQ(loadProgram(path).message,
            "Error(s) in procedure 'main': there is an invalid program line: 2");
}

TEST_F(LoadErrors, BreakOutsideLoopIsInvalid) {
  std::string path = write("brk.hdev", fileXml({procedureXml("main", {}, {"break", "continue"})}));
  EXPECT_EQ(loadProgram(path).message,
            "Error(s) in procedure 'main': there are invalid program lines: 1, 2");
}
