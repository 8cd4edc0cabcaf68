// Hostile scripts: each row is one script and the clean error it must give. None may crash,
// hang or grow without bound, also when the calling thread has a 1 MB stack (CMakeLists.txt
// runs this suite under `ulimit -s 1024`; the Windows build links its tests with a 1 MB stack).
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "script_fixture.h"

namespace {

// What a row must end with. Code 0: the script loads and runs without an error. Fields left
// at their defaults are not checked.
struct Outcome {
  Outcome(int code = 0, int line = 0, std::string op = "*", std::string procedure = "*",
          std::string message = "")
      : code(code),
        line(line),
        op(std::move(op)),
        procedure(std::move(procedure)),
        message(std::move(message)) {}
  int code;
  int line;
  std::string op;
  std::string procedure;
  std::string message;  // must appear in the error message
};

class HostileScript;

struct Row {
  const char* name;
  std::function<EngineError(HostileScript&)> run;
  Outcome expected;
};

std::string repeat(const std::string& text, int times) {
  std::string out;
  out.reserve(text.size() * static_cast<size_t>(times));
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// The outcome as one line, with only the fields `expected` checks.
std::string describe(const EngineError& e, const Outcome& expected) {
  std::string s = "code " + std::to_string(e.code);
  if (expected.line != 0) s += ", line " + std::to_string(e.line);
  if (expected.op != "*") s += ", operator " + e.op;
  if (expected.procedure != "*") s += ", procedure " + e.procedure;
  if (!expected.message.empty())
    s += e.message.find(expected.message) != std::string::npos
             ? ", message has '" + expected.message + "'"
             : ", message '" + e.message + "'";
  return s;
}

std::string describe(const Outcome& o) {
  EngineError e{o.code, o.procedure, o.op, o.message, o.line};
  return describe(e, o);
}

class HostileScript : public ScriptTest {
 public:
  explicit HostileScript(const Row& row) : row_(row) {}
  void TestBody() override {
    EngineError actual = row_.run(*this);
    EXPECT_EQ(describe(actual, row_.expected), describe(row_.expected));
  }

  using ScriptTest::callError;
  using ScriptTest::write;
  using ScriptTest::writeProcedure;

  // Loads and runs a program whose main has these lines.
  EngineError program(const std::vector<std::string>& lines) { return runProgramLines(lines); }
  // Loads and runs a program made of these procedures (main first).
  EngineError programOf(const std::vector<std::string>& procedures) {
    return runProgram(write("prog.hdev", fileXml(procedures)));
  }
  // Loads and runs a program file with exactly this content.
  EngineError rawProgram(const std::string& content) {
    return runProgram(write("raw.hdev", content));
  }

 private:
  const Row& row_;
};

// A procedure that calls `callee` on its only line.
std::string caller(const std::string& name, const std::string& callee) {
  return procedureXml(name, {}, {callee + " ()"});
}

// Lines nesting `inner` inside `depth` blocks of `opener` ... `closer`.
std::vector<std::string> nested(int depth, const std::string& opener, const std::string& inner,
                                const std::string& closer) {
  std::vector<std::string> lines;
  auto indent = [](int level) { return std::string(static_cast<size_t>(level % 10) * 4, ' '); };
  for (int i = 0; i < depth; ++i) lines.push_back(indent(i) + opener);
  lines.push_back(indent(depth) + inner);
  for (int i = depth - 1; i >= 0; --i) lines.push_back(indent(i) + closer);
  return lines;
}

const std::string kInvalidLine2 =
    "Error(s) in procedure 'main': there is an invalid program line: 2";
const std::string kSmallest = "-9223372036854775807 - 1";

// Crashes, hangs and runaway memory.
std::vector<Row> crashRows() {
  return {
      {"failed_load_drops_every_procedure_it_compiled",
       [](HostileScript& t) {
         // hx_fa calls hx_fb and has an invalid line; hx_fb calls hx_fa.
         t.writeProcedure("hx_fa", {}, {"hx_fb ()", "X := ("});
         t.writeProcedure("hx_fb", {}, {"hx_fa ()"});
         EngineError first = t.callError("hx_fa");
         if (first.code != 4) return first;
         return t.callError("hx_fb");
       },
       {4, -1, "*", "hx_fa", "Error(s) in procedure 'hx_fa': there is an invalid program line: 2"}},
      {"sum_of_100000_terms",
       [](HostileScript& t) {
         return t.program({"X := 1", "Y := X" + repeat(" + X", 99999)});
       },
       {4, -1, "*", "*", kInvalidLine2}},
      {"sum_of_10000_terms",
       [](HostileScript& t) {
         return t.program({"X := 1", "Y := X" + repeat(" - X", 9999)});
       },
       {4, -1, "*", "*", kInvalidLine2}},
      {"and_chain_of_100000_terms",
       [](HostileScript& t) {
         return t.program({"X := 1", "Y := X" + repeat(" and X", 99999)});
       },
       {4, -1, "*", "*", kInvalidLine2}},
      {"comparison_chain_of_100000_terms",
       [](HostileScript& t) {
         return t.program({"X := 1", "Y := X" + repeat(" < X", 99999)});
       },
       {4, -1, "*", "*", kInvalidLine2}},
      {"index_chain_of_50000",
       [](HostileScript& t) {
         return t.program({"T := [1]", "Y := T" + repeat("[0]", 50000)});
       },
       {4, -1, "*", "*", kInvalidLine2}},
      {"format_chain_of_50000",
       [](HostileScript& t) {
         return t.program({"X := 1", "Y := X" + repeat("$'s'", 50000)});
       },
       {4, -1, "*", "*", kInvalidLine2}},
      {"longest_allowed_chain_runs",
       [](HostileScript& t) {
         return t.program({"X := 1", "Y := X" + repeat(" + X", 498), "if (Y != 499)",
                           "    throw ([7000, Y])", "endif"});
       },
       {}},
      {"external_chain_of_5000_procedures",
       [](HostileScript& t) {
         for (int i = 0; i < 5000; ++i) {
           std::string name = "hx_chain_" + std::to_string(i);
           t.write(name + ".hdvp",
                   fileXml({i == 4999 ? procedureXml(name, {}, {"X := 1"})
                                      : caller(name, "hx_chain_" + std::to_string(i + 1))}));
         }
         return t.callError("hx_chain_0");
       },
       {21013, 1, "hx_chain_256", "hx_chain_255"}},
      {"local_chain_of_10000_procedures",
       [](HostileScript& t) {
         std::vector<std::string> procs{caller("main", "hx_l0")};
         for (int i = 0; i < 10000; ++i)
           procs.push_back(
               i == 9999 ? procedureXml("hx_l9999", {}, {"X := 1"})
                         : caller("hx_l" + std::to_string(i), "hx_l" + std::to_string(i + 1)));
         return t.programOf(procs);
       },
       {21013, 1, "hx_l255", "hx_l254"}},
      {"recursion_255_deep_inside_50_nested_ifs",
       [](HostileScript& t) {
         t.writeProcedure("hx_nest", {{}, {}, {"N"}, {}},
                          nested(50, "if (N >= 0)", "hx_nest (N + 1)", "endif"));
         return t.callError("hx_nest", {HalconCpp::HTuple(0)});
       },
       {21013, 51, "hx_nest", "hx_nest"}},
      {"every_limit_at_once",
       [](HostileScript& t) {
         // 255 calls, each inside 99 nested blocks, each passing an expression 500 high.
         t.writeProcedure(
             "hx_max", {{}, {}, {"N"}, {}},
             nested(99, "while (N >= 0)", "hx_max (N + 1" + repeat(" + 0", 497) + ")", "endwhile"));
         return t.callError("hx_max", {HalconCpp::HTuple(0)});
       },
       {21013, 100, "hx_max", "hx_max"}},
      {"for_loop_up_to_the_largest_integer",
       [](HostileScript& t) {
         return t.program({"N := 0", "for I := 9223372036854775806 to 9223372036854775807 by 1",
                           "    N := N + 1", "endfor", "if (N != 2 or I != 9223372036854775807)",
                           "    throw ([7000, N, I])", "endif"});
       },
       {}},
      {"for_loop_down_to_the_smallest_integer",
       [](HostileScript& t) {
         return t.program({"N := 0", "for I := " + kSmallest + " + 2 to " + kSmallest + " by -1",
                           "    N := N + 1", "endfor", "if (N != 3 or I != " + kSmallest + ")",
                           "    throw ([7000, N, I])", "endif"});
       },
       {}},
      {"for_loop_over_the_whole_integer_range_by_a_huge_step",
       [](HostileScript& t) {
         return t.program(
             {"N := 0", "for I := " + kSmallest + " to 9223372036854775807 by 9223372036854775807",
              "    N := N + 1", "endfor", "if (N != 3)", "    throw ([7000, N])", "endif"});
       },
       {}},
      {"real_loop_whose_step_does_not_advance",
       [](HostileScript& t) {
         return t.program({"for X := 1e16 to 1e16 + 4 by 1.0", "endfor"});
       },
       {1303, 1, "for", "*", "does not change the loop variable"}},
      {"read_image_of_endless_zero_bytes",
       [](HostileScript& t) {
         std::string zeros = "/dev/zero";
         std::ifstream device(zeros, std::ios::binary);
         if (device.get() != 0)  // Windows: a long file of zero bytes instead
           zeros = t.write("zeros.pgm", std::string(size_t{1} << 22, '\0'));
         return t.program({"read_image (Image, '" + zeros + "')"});
       },
       {1301, 1, "read_image", "*", "Image file format not supported"}},
      {"tuple_of_4194304_texts_of_64_kib",
       [](HostileScript& t) {
         return t.program({"S := 'x'", "for I := 1 to 16 by 1", "    S := S + S", "endfor",
                           "tuple_gen_const (4194304, S, T)"});
       },
       {6001, 5, "tuple_gen_const"}},
      {"text_doubled_past_1_gib",
       [](HostileScript& t) {
         return t.program({"S := 'x'", "while (1)", "    S := S + S", "endwhile"});
       },
       {6001, 3, "assign", "*", "at most 1073741824 bytes"}},
  };
}

// Wrong results that must be errors.
std::vector<Row> errorRows() {
  auto overflow = [](const char* name, std::string first, std::string second) {
    return Row{name,
               [first, second](HostileScript& t) {
                 return t.program({first, second});
               },
               {21027, 2, "assign"}};
  };
  return {
      {"failing_elseif_names_its_own_line",
       [](HostileScript& t) {
         return t.program(
             {"X := 'a'", "if (0)", "    Y := 1", "elseif (X)", "    Y := 2", "endif"});
       },
       {1201, 4, "elseif"}},
      overflow("abs_of_the_smallest_integer", "X := " + kSmallest, "Y := abs(X)"),
      overflow("int_of_1e300", "X := 1e300", "Y := int(X)"),
      overflow("round_of_nan", "X := 1e308 * 10", "Y := round(X - X)"),
      overflow("integer_format_of_1e300", "X := 1e300", "Y := X$'d'"),
      overflow("add_overflows", "X := 9223372036854775807", "Y := X + 1"),
      overflow("subtract_overflows", "X := " + kSmallest, "Y := X - 1"),
      overflow("multiply_overflows", "X := 4611686018427387904", "Y := X * 2"),
      overflow("negate_overflows", "X := " + kSmallest, "Y := -X"),
      overflow("divide_by_minus_one_overflows", "X := " + kSmallest, "Y := X / -1"),
      overflow("tuple_add_overflows", "X := 9223372036854775807", "Y := [0, X] + [0, 1]"),
      overflow("add_of_constants_overflows", "X := 1", "Y := 9223372036854775807 + 1"),
      {"throw_of_a_code_beyond_32_bits",
       [](HostileScript& t) { return t.program({"throw ([" + kSmallest + ", 'x'])"}); },
       {21028, 1, "throw", "*", "[-9223372036854775808, 'x']"}},
  };
}

// Cases that were handled before; they stay in the table so that they stay handled.
std::vector<Row> handledRows() {
  return {
      {"empty_file", [](HostileScript& t) { return t.rawProgram(""); }, {21019, -1}},
      {"malformed_xml",
       [](HostileScript& t) {
         return t.rawProgram("<hdevelop><procedure name=\"main\"><body><l>X := 1</body>");
       },
       {21019, -1, "*", "*", "Malformed script file"}},
      {"binary_garbage",
       [](HostileScript& t) {
         std::string bytes;
         for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 7919) % 256);
         return t.rawProgram(bytes);
       },
       {21018, -1}},
      {"nested_entity_definitions",
       [](HostileScript& t) {
         std::string doctype = "<!DOCTYPE hdevelop [<!ENTITY a0 \"ha\">";
         for (int i = 1; i < 10; ++i)
           doctype += "<!ENTITY a" + std::to_string(i) + " \"" +
                      repeat("&a" + std::to_string(i - 1) + ";", 10) + "\">";
         doctype += "]>";
         std::string xml = fileXml({procedureXml("main", {}, {"X := '&a9;'"})});
         return t.rawProgram("<?xml version=\"1.0\"?>" + doctype + xml.substr(xml.find('\n')));
       },
       {}},
      {"10000_nested_blocks",
       [](HostileScript& t) { return t.program(nested(10000, "if (1)", "X := 1", "endif")); },
       {4, -1, "*", "*", "there are invalid program lines: 101, 102, 103"}},
      {"100000_lines",
       [](HostileScript& t) {
         std::vector<std::string> lines{"X := 0"};
         for (int i = 0; i < 100000; ++i) lines.push_back("X := X + 1");
         lines.push_back("if (X != 100000)");
         lines.push_back("    throw ([7000, X])");
         lines.push_back("endif");
         return t.program(lines);
       },
       {}},
      {"recursion_10000_deep",
       [](HostileScript& t) {
         t.writeProcedure("hx_deep", {{}, {}, {"N"}, {}},
                          {"if (N < 10000)", "    hx_deep (N + 1)", "endif"});
         return t.callError("hx_deep", {HalconCpp::HTuple(0)});
       },
       {21013, 2, "hx_deep", "hx_deep"}},
      {"two_procedures_calling_each_other_forever",
       [](HostileScript& t) {
         t.writeProcedure("hx_ping", {}, {"hx_pong ()"});
         t.writeProcedure("hx_pong", {}, {"hx_ping ()"});
         return t.callError("hx_ping");
       },
       {21013, 1}},
      {"tuple_doubled_past_its_length_limit",
       [](HostileScript& t) {
         return t.program({"T := [1]", "while (1)", "    T := [T, T]", "endwhile"});
       },
       {21014, 3, "assign"}},
      {"tuple_gen_const_of_10000000",
       [](HostileScript& t) { return t.program({"tuple_gen_const (10000000, 0, T)"}); },
       {21014, 1, "tuple_gen_const"}},
      {"division_by_zero",
       [](HostileScript& t) {
         return t.program({"X := 0", "Y := 1 / X"});
       },
       {21011, 2, "assign"}},
      {"non_utf8_names",
       [](HostileScript& t) {
         return t.program({"caf\xe9 := 1", "X := 1", "proc\xff\xfe ()"});
       },
       {4, -1, "*", "*", "there are invalid program lines: 1, 3"}},
      {"self_and_cyclic_imports",
       [](HostileScript& t) {
         t.write("hx_a/hx_in_a.hdvp",
                 fileXml({procedureXml("hx_in_a", {}, {"import '../hx_b'", "hx_in_b ()"})}));
         t.write("hx_b/hx_in_b.hdvp",
                 fileXml({procedureXml("hx_in_b", {}, {"import '../hx_a'", "import '.'"})}));
         return t.program({"import '.'", "import './hx_a'", "hx_in_a ()"});
       },
       {}},
      {"two_procedures_calling_each_other",
       [](HostileScript& t) {
         t.writeProcedure("hx_even", {{}, {}, {"N"}, {"E"}},
                          {"if (N = 0)", "    E := 1", "else", "    hx_odd (N - 1, E)", "endif"});
         t.writeProcedure("hx_odd", {{}, {}, {"N"}, {"E"}},
                          {"if (N = 0)", "    E := 0", "else", "    hx_even (N - 1, E)", "endif"});
         return t.program({"hx_even (200, E)", "if (E != 1)", "    throw ([7000, E])", "endif"});
       },
       {}},
  };
}

bool registerRows() {
  static const std::vector<Row> rows = [] {
    std::vector<Row> all;
    for (auto part : {crashRows(), errorRows(), handledRows()})
      all.insert(all.end(), part.begin(), part.end());
    return all;
  }();
  for (const Row& row : rows)
    testing::registerCase<ScriptTest>("Hostile", row.name,
                                      [&row]() -> ScriptTest* { return new HostileScript(row); });
  return true;
}

[[maybe_unused]] const bool registered = registerRows();

}  // namespace
