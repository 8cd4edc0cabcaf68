// Run-time errors: every field of the engine exception.
#include "script_fixture.h"

using HalconCpp::HTuple;

class RuntimeErrors : public ScriptTest {};

TEST_F(RuntimeErrors, OperatorFailureInMainNamesProgramFile) {
  EngineError e =
      runProgramLines({"* setup", "X := 1", "get_system ('not_a_parameter', V)"}, "main_err.hdev");
  EXPECT_EQ(e.code, 1301);
  EXPECT_EQ(e.procedure, "main (main_err.hdev)");
  EXPECT_EQ(e.op, "get_system");
  EXPECT_EQ(e.line, 3);
  EXPECT_EQ(e.message, "Unknown system parameter: 'not_a_parameter'");
}

TEST_F(RuntimeErrors, ParameterFamilies) {
  EngineError type = runProgramLines({"tuple_gen_const ('many', 0, T)"});
  EXPECT_EQ(type.code, 1201);
  EXPECT_EQ(type.message, "Wrong type of control parameter: 1");
  EngineError value = runProgramLines({"X := 0", "tuple_gen_const (-1, 0, T)"});
  EXPECT_EQ(value.code, 1301);
  EXPECT_EQ(value.line, 2);
  EngineError count = runProgramLines({"set_system ('width', [1, 2])"});
  EXPECT_EQ(count.code, 1402);
  EXPECT_EQ(count.op, "set_system");
}

TEST_F(RuntimeErrors, ExpressionFaultsNameTheLine) {
  EngineError div = runProgramLines({"A := 1", "B := 0", "C := A / B"});
  EXPECT_EQ(div.code, 21011);
  EXPECT_EQ(div.op, "assign");
  EXPECT_EQ(div.line, 3);
  EngineError unset = runProgramLines({"* nothing set", "", "Y := Missing + 1"});
  EXPECT_EQ(unset.code, 21012);
  EXPECT_EQ(unset.line, 3);
  EXPECT_EQ(unset.message, "Variable 'Missing' used before it was set");
  EngineError index = runProgramLines({"T := [1, 2]", "if (T[2] > 0)", "endif"});
  EXPECT_EQ(index.code, 21010);
  EXPECT_EQ(index.op, "if");
  EXPECT_EQ(index.line, 2);
  EngineError mixed = runProgramLines({"X := 'a' * 2"});
  EXPECT_EQ(mixed.code, 1201);
  EngineError cond = runProgramLines({"X := 0", "while ([1, 2])", "endwhile"});
  EXPECT_EQ(cond.code, 1401);
  EXPECT_EQ(cond.line, 2);
}

TEST_F(RuntimeErrors, ErrorInsideExternalProcedureNamesIt) {
  writeProcedure("rt_inner", {{}, {}, {"A"}, {"B"}}, {"* divide", "B := 10 / A"});
  EngineError e = runProgramLines({"rt_inner (2, X)", "rt_inner (0, Y)"});
  EXPECT_EQ(e.code, 21011);
  EXPECT_EQ(e.procedure, "rt_inner");
  EXPECT_EQ(e.line, 2);
  EXPECT_EQ(e.op, "assign");
}

TEST_F(RuntimeErrors, UncaughtThrowUsesItsCode) {
  EngineError e = runProgramLines({"X := 1", "throw ([9001, 'custom failure'])"});
  EXPECT_EQ(e.code, 9001);
  EXPECT_EQ(e.line, 2);
  EXPECT_EQ(e.op, "throw");
  EXPECT_EQ(e.message, "Uncaught exception: [9001, 'custom failure']");
  EngineError t = runProgramLines({"throw ('just text')"});
  EXPECT_EQ(t.code, 21017);
}

TEST_F(RuntimeErrors, LoopBoundErrorsNameTheForLine) {
  EngineError e = runProgramLines({"for I := 1 to 'x' by 1", "endfor"});
  EXPECT_EQ(e.code, 1202);
  EXPECT_EQ(e.line, 1);
  EXPECT_EQ(e.op, "for");
  EngineError zero = runProgramLines({"for I := 1 to 3 by 0", "endfor"});
  EXPECT_EQ(zero.code, 1303);
}

TEST_F(RuntimeErrors, UntilConditionNamesUntilLine) {
  EngineError e = runProgramLines({"X := 0", "repeat", "    X := X + 1", "until ('no')"});
  EXPECT_EQ(e.code, 1201);
  EXPECT_EQ(e.line, 4);
  EXPECT_EQ(e.op, "until");
}

TEST_F(RuntimeErrors, CaughtErrorsDoNotEscape) {
  EngineError e =
      runProgramLines({"try", "    X := 1 / 0", "catch (E)", "    Code := E[0]", "endtry",
                       "if (Code != 21011)", "    throw (['wrong code', Code])", "endif"});
  EXPECT_EQ(e.code, 0);
}
