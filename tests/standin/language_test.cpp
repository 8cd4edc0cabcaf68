// The script language: each case runs a small procedure and checks outputs.
#include "script_fixture.h"

using HalconCpp::HTuple;

class Language : public ScriptTest {
 protected:
  // Runs lines in a procedure with one output R and returns R's text form.
  std::string eval(const std::vector<std::string>& lines, const std::vector<HTuple>& inputs = {},
                   const std::vector<std::string>& inNames = {}) {
    std::string name = "lang_" + std::to_string(++counter_);
    writeProcedure(name, {{}, {}, inNames, {"R"}}, lines);
    return text(call(name, inputs).at(0));
  }
  static inline int counter_ = 0;  // names unique across tests: the path keeps old directories
};

TEST_F(Language, IntegerAndRealArithmetic) {
  EXPECT_EQ(eval({"R := 7 / 2"}), "3");
  EXPECT_EQ(eval({"R := -7 / 2"}), "-3");
  EXPECT_EQ(eval({"R := 7 % 3"}), "1");
  EXPECT_EQ(eval({"R := 7.0 / 2"}), "3.5");
  EXPECT_EQ(eval({"R := 2 + 3 * 4 - (1 - 2)"}), "15");
  EXPECT_EQ(eval({"R := -(2 * 3) + 1e2"}), "94.0");
  EXPECT_EQ(eval({"R := 0x1F + 1"}), "32");
}

TEST_F(Language, IntegerFastPathAgreesWithTheGeneralPath) {
  // An assignment of integer arithmetic runs as an integer program; inside a tuple literal the
  // same expression runs as a tree. Results and errors must be the same.
  std::vector<std::string> setup = {"A := -7", "B := 2", "C := -2", "Z := 0",
                                    "D := 9223372036854775807"};
  auto run = [&](const std::string& assignment) {
    std::vector<std::string> lines = setup;
    for (const char* l : {"try", "    ", "catch (E)", "    R := E[0]", "endtry"})
      lines.push_back(l);
    lines[setup.size() + 1] += assignment;
    return eval(lines);
  };
  for (const char* e : {"A / B", "A % B", "A / C", "A % C", "B - A * 3", "(A + B) * (A - B) % 5",
                        "A * A * A * A", "D + 1", "D * B", "-D - B - 1", "A / Z", "A % Z", "U + 1",
                        "A + 1.5", "A + 'x'", "D - A", "(D - 1) / C"}) {
    std::string fast = run(std::string("R := ") + e);
    std::string tree = run(std::string("R := [") + e + "]");
    EXPECT_EQ(fast, tree);
  }
  // Constants and results of earlier steps on either side.
  for (const char* e : {"7 - A * B", "100 / (B - C)", "A - (B - (C - (A - 1)))", "A * B % (B + 1)"})
    EXPECT_EQ(run(std::string("R := ") + e), run(std::string("R := [") + e + "]"));
  EXPECT_EQ(run("R := 7 - A * B"), "21");
  EXPECT_EQ(run("R := A - (B - (C - (A - 1)))"), "-3");
  EXPECT_EQ(run("R := A / B"), "-3");
  EXPECT_EQ(run("R := A % B"), "-1");
  EXPECT_EQ(run("R := D + 1"), "21027");
  EXPECT_EQ(run("R := A / Z"), "21011");
  EXPECT_EQ(run("R := U + 1"), "21012");
}

TEST_F(Language, TuplesAreElementWise) {
  EXPECT_EQ(eval({"R := [1, 2, 3] * 2"}), "[2, 4, 6]");
  EXPECT_EQ(eval({"R := [1, 2] + [10, 20]"}), "[11, 22]");
  EXPECT_EQ(eval({"R := [] + 5"}), "[]");
  EXPECT_EQ(eval({"T := [5, 6, 7, 8]", "R := [|T|, T[1], T[1:2]]"}), "[4, 6, 6, 7]");
  EXPECT_EQ(eval({"T := [5, 6, 7]", "R := T[[2, 0]]"}), "[7, 5]");
  EXPECT_EQ(eval({"R := []", "R[3] := 'x'"}), "[0, 0, 0, 'x']");
  EXPECT_EQ(eval({"T := [1, 2]", "U := T", "T[0] := 9", "R := [T, U]"}), "[9, 2, 1, 2]");
}

// Large tuples move between storage blocks as they grow, and blocks are reused afterwards: a
// copy taken while growing, and the next run's tuples, keep their own elements.
TEST_F(Language, GrowingTuplesKeepTheirElements) {
  const std::vector<std::string> lines = {
      "T := []",
      "for I := 0 to 29999 by 1",
      "    T[|T|] := I",
      "    if (I = 9999)",
      "        U := T",
      "        V := [T, T]",
      "        V := []",
      "    endif",
      "endfor",
      "W := []",
      "W[20000] := 1",
      "W := [W, T]",
      "R := [|T|, |U|, |W|, sum(T), sum(U), sum(W), T[29999], U[9999]]"};
  for (int run = 0; run < 2; ++run)
    EXPECT_EQ(eval(lines), "[30000, 10000, 50001, 449985000, 49995000, 449985001, 29999, 9999]");
}

TEST_F(Language, StringsConcatenateAndFormat) {
  EXPECT_EQ(eval({"R := 'a' + 1 + 2"}), "'a12'");
  EXPECT_EQ(eval({"R := 1 + 2 + 'a'"}), "'3a'");
  EXPECT_EQ(eval({"R := 3.14159$'.2f'"}), "'3.14'");
  EXPECT_EQ(eval({"R := 42$'5d' + '|'"}), "'   42|'");
  EXPECT_EQ(eval({"R := 'ab'$'-4s' + '|'"}), "'ab  |'");
  EXPECT_EQ(eval({"R := 255$'x'"}), "'ff'");
  EXPECT_EQ(eval({"R := strlen('it\\'s\\n')"}), "5");
}

TEST_F(Language, FormattingHasNoLengthLimit) {
  EXPECT_EQ(eval({"R := strlen('abc'$'999s')"}), "999");
  EXPECT_EQ(eval({"R := strlen(1.5$'600.3f')"}), "600");
  EXPECT_EQ(eval({"S := 1.5$'-600.3f'", "R := [strlen(S), S$'.5s']"}), "[600, '1.500']");
  EXPECT_EQ(eval({"T := 'x'", "for I := 1 to 10 by 1", "    T := T + T", "endfor",
                  "R := [strlen(T), T$'.3s']"}),
            "[1024, 'xxx']");
}

TEST_F(Language, NumbersBeyondTheIntegerRangeAreReal) {
  EXPECT_EQ(eval({"R := number('99999999999999999999')"}), "1e+20");
  EXPECT_EQ(eval({"R := number('-99999999999999999999') = -1e20"}), "1");
  EXPECT_EQ(eval({"R := number('9223372036854775807')"}), "9223372036854775807");
}

TEST_F(Language, SubnormalLiteralsAreAccepted) {
  EXPECT_EQ(eval({"R := [1e-310 > 0, 4.9e-324 > 0, 4.9e-324 / 2]"}), "[1, 1, 0.0]");
  EXPECT_EQ(eval({"R := 4.9e-324"}), "4.94065645841247e-324");
  EXPECT_EQ(eval({"R := 1e-400"}), "0.0");
}

TEST_F(Language, ComparisonsAndLogic) {
  EXPECT_EQ(eval({"R := [1 < 2, 2 <= 1, 3 > 2, 3 >= 4, 1 = 1.0, 1 == 2, 1 != 2, 1 # 1]"}),
            "[1, 0, 1, 0, 1, 0, 1, 0]");
  EXPECT_EQ(eval({"R := ['abc' < 'abd', [1, 2] = [1, 2], [1, 2] = [1]]"}), "[1, 1, 0]");
  EXPECT_EQ(eval({"R := [1 and 0, 1 or 0, 1 xor 1, not 0, not 1 > 2]"}), "[0, 1, 0, 1, 1]");
  EXPECT_EQ(eval({"R := true and not false"}), "1");
}

TEST_F(Language, Functions) {
  EXPECT_EQ(eval({"R := [sum([1, 2, 3]), min([4, 2, 8]), max([4, 2, 8])]"}), "[6, 2, 8]");
  EXPECT_EQ(eval({"R := [abs(-3), sqrt(16), int(3.9), real(2), round(2.5)]"}),
            "[3, 4.0, 3, 2.0, 3]");
  EXPECT_EQ(eval({"R := [number('12'), number('1.5'), number('x')]"}), "[12, 1.5, 'x']");
}

TEST_F(Language, IfElseifElse) {
  std::vector<std::string> body = {
      "if (X < 0)", "    R := 'neg'", "elseif (X = 0)", "    R := 'zero'",
      "else",       "    R := 'pos'", "endif"};
  EXPECT_EQ(eval(body, {HTuple(-4)}, {"X"}), "'neg'");
  EXPECT_EQ(eval(body, {HTuple(0)}, {"X"}), "'zero'");
  EXPECT_EQ(eval(body, {HTuple(3)}, {"X"}), "'pos'");
}

TEST_F(Language, Loops) {
  EXPECT_EQ(eval({"R := []", "for I := 5 to 1 by -2", "    R := [R, I]", "endfor"}), "[5, 3, 1]");
  EXPECT_EQ(eval({"R := []", "for I := 0 to 1 by 0.5", "    R := [R, I]", "endfor"}),
            "[0.0, 0.5, 1.0]");
  EXPECT_EQ(eval({"R := 0", "while (R < 10)", "    R := R + 3", "endwhile"}), "12");
  EXPECT_EQ(eval({"R := 0", "repeat", "    R := R + 1", "until (R >= 4)"}), "4");
  EXPECT_EQ(eval({"R := []", "for I := 1 to 10 by 1", "    if (I % 2 = 0)", "        continue",
                  "    endif", "    if (I > 7)", "        break", "    endif", "    R := [R, I]",
                  "endfor"}),
            "[1, 3, 5, 7]");
  EXPECT_EQ(eval({"R := 0", "for I := 1 to 3 by 1", "    N := 3", "endfor", "R := I"}), "3");
}

TEST_F(Language, SwitchFallsThroughUntilBreak) {
  std::vector<std::string> body = {"R := []",
                                   "switch (X)",
                                   "case 1:",
                                   "    R := [R, 'one']",
                                   "case 2:",
                                   "    R := [R, 'two']",
                                   "    break",
                                   "case -3:",
                                   "    R := 'minus three'",
                                   "    break",
                                   "default:",
                                   "    R := 'other'",
                                   "endswitch"};
  EXPECT_EQ(eval(body, {HTuple(1)}, {"X"}), "['one', 'two']");
  EXPECT_EQ(eval(body, {HTuple(2)}, {"X"}), "'two'");
  EXPECT_EQ(eval(body, {HTuple(-3)}, {"X"}), "'minus three'");
  EXPECT_EQ(eval(body, {HTuple(9)}, {"X"}), "'other'");
}

TEST_F(Language, TryCatchAndThrow) {
  EXPECT_EQ(eval({"try", "    R := 1 / 0", "catch (E)", "    R := E[0]", "endtry"}), "21011");
  EXPECT_EQ(
      eval({"try", "    throw ([42, 'bad'])", "    R := 0", "catch (E)", "    R := E", "endtry"}),
      "[42, 'bad']");
  EXPECT_EQ(eval({"try", "    get_system ('nope', V)", "catch (E)", "    R := E[0]", "endtry"}),
            "1301");
}

TEST_F(Language, ReturnStopAndComments) {
  EXPECT_EQ(eval({"* a comment", "R := 1", "stop ()", "", "return ()", "R := 2"}), "1");
}

TEST_F(Language, OperatorsAndProcedureCalls) {
  writeProcedure("lang_twice", {{}, {}, {"In"}, {"Out"}}, {"Out := In * 2"});
  EXPECT_EQ(eval({"tuple_gen_const (3, 7, T)", "tuple_length (T, N)", "tuple_sum (T, S)",
                  "tuple_concat (T, [1], C)", "tuple_select (C, [3, 0], Sel)", "lang_twice (S, D)",
                  "R := [N, S, Sel, D]"}),
            "[3, 21, 1, 7, 42]");
}

TEST_F(Language, RecursionUsesSeparateFrames) {
  writeProcedure(
      "lang_fact", {{}, {}, {"N"}, {"F"}},
      {"if (N <= 1)", "    F := 1", "else", "    lang_fact (N - 1, G)", "    F := N * G", "endif"});
  EXPECT_EQ(text(call("lang_fact", {HTuple(10)}).at(0)), "3628800");
}

TEST_F(Language, ImagesAndIconicParameters) {
  std::string pgm = "P5\n3 2\n255\n" + std::string(6, '\x40');
  write("tiny.pgm", pgm);
  writeProcedure("lang_size", {{"Img"}, {"Made"}, {}, {"W", "H"}},
                 {"get_image_size (Img, W, H)", "gen_image_const (Made, 'byte', W * 2, H * 2)"});
  EXPECT_EQ(
      eval({"read_image (I, '" + dir + "/tiny')", "count_obj (I, N)", "lang_size (I, Big, W, H)",
            "get_image_size (Big, BW, BH)", "R := [N, W, H, BW, BH]"}),
      "[1, 3, 2, 6, 4]");
  write("broken.pgm", "P5\n3 2\n255\nab");
  EXPECT_EQ(eval({"try", "    read_image (I, '" + dir + "/broken.pgm')", "    R := 0", "catch (E)",
                  "    R := E[0]", "endtry"}),
            "1301");
  EXPECT_EQ(eval({"try", "    read_image (I, '" + dir + "/none.pgm')", "    R := 0", "catch (E)",
                  "    R := E[0]", "endtry"}),
            "5200");
}

TEST_F(Language, CountSecondsAdvances) {
  EXPECT_EQ(eval({"count_seconds (A)", "wait_seconds (0.02)", "count_seconds (B)",
                  "R := B - A >= 0.015"}),
            "1");
}
