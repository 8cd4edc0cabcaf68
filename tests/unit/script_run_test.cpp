// One run against the fake engine: the signature, the argument checks, inputs and outputs, the
// order in which handles go back, failures while reading outputs, and the result line.
#include "execution/script_run.h"

#include <string>
#include <vector>

#include "captured_output.h"
#include "common/run_settings.h"
#include "fake_engine.h"
#include "halcon/hde_exception.h"
#include "test_framework.h"

namespace Velotrax {
namespace {

using fake::Parameter;
using Strings = std::vector<std::string>;

class ScriptRun : public testing::Test {
 protected:
  void SetUp() override { fake::install(); }

  // Defines procedure `name` and selects it.
  fake::Procedure& procedure(const std::string& name) {
    script.procedureName = name;
    script.scriptPath = name + ".hdvp";
    return fake::engine().procedures[name];
  }

  // Runs with literal arguments built through the fake; keeps the console output.
  bool run(const std::vector<fake::Elements>& literals = {}) {
    std::vector<ProcedureArgument> arguments;
    for (const fake::Elements& elements : literals)
      arguments.push_back({"", holdTuple(fake::makeTuple(elements))});
    const CapturedOutput output;
    const bool ok = runScript(request, arguments, elapsedMs);
    out = output.out();
    err = output.err();
    return ok;
  }

  RunSettings options;
  LocatedScript script;
  const RunRequest request{options, script, ""};
  int elapsedMs = 0;
  std::string out, err;
};

const std::string kCountEnd =
    " at the command line. Specify the correct number of control parameters at the command line.";
const std::string kWrapper =
    " Another possible way to solve this problem is to write a wrapper external procedure "
    "without arguments and call this new procedure instead.";

TEST_F(ScriptRun, TheSignatureTextListsTheFourParameterLists) {
  fake::Procedure& p = procedure("proc");
  options.checkonly = true;
  options.verbose = true;
  EXPECT_TRUE(run());
  EXPECT_EQ(out.substr(0, out.rfind(" (")),
            "Loading procedure: proc\nSuccessfully loaded procedure: proc ( : : : )");
  p.inputIconic = {{"Image"}};
  p.inputCtrl = {{"Threshold"}, {"Points", 1}};
  p.outputCtrl = {{"Area"}};
  p.outputIconic = {{"Region"}, {"Contours", 2}};
  EXPECT_TRUE(run());
  EXPECT_NE(out.find("Successfully loaded procedure: proc ( Image: Region, Contours {dim:2}: "
                     "Threshold, Points {dim:1}: Area) ("),
            std::string::npos);
  // A check executes nothing and takes no time.
  EXPECT_EQ(elapsedMs, -1);
  EXPECT_EQ(fake::engine().executions, 0);
}

TEST_F(ScriptRun, TheCountMessageHasEveryVariant) {
  struct Variant {
    int iconic, control, given;
    std::string contains;
  };
  const std::vector<Variant> variants = {
      {0, 2, 1,
       "It contains 2 input control parameters, but 1 control parameter is specified as argument" +
           kCountEnd},
      {0, 2, 0,
       "It contains 2 input control parameters, but 0 control parameters are specified as "
       "arguments" +
           kCountEnd + kWrapper},
      {0, 1, 3,
       "It contains 1 input parameter, but 3 control parameters are specified as arguments" +
           kCountEnd},
      {1, 0, 0,
       "It contains 1 input parameter, but 0 control parameters are specified as arguments" +
           kCountEnd + kWrapper},
      {1, 1, 1,
       "It contains 2 input control parameters, but 1 control parameter is specified as argument" +
           kCountEnd},
  };
  for (const Variant& v : variants) {
    fake::reset();
    fake::Procedure& p = procedure("measure");
    for (int i = 0; i < v.iconic; ++i) p.inputIconic.push_back({"Image" + std::to_string(i)});
    for (int i = 0; i < v.control; ++i) p.inputCtrl.push_back({"In" + std::to_string(i)});
    EXPECT_FALSE(run(std::vector<fake::Elements>(static_cast<size_t>(v.given), {int64_t{1}})));
    const std::string prefix = "Cannot call procedure \"measure ( ";
    EXPECT_EQ(err.substr(0, prefix.size()), prefix);
    EXPECT_EQ(err.substr(err.find("\" directly. ") + 12), v.contains + "\n");
    EXPECT_EQ(out, "");
    EXPECT_EQ(elapsedMs, -1);
    EXPECT_EQ(fake::engine().executions, 0);
    EXPECT_TRUE(fake::engine().releases == Strings({"call", "procedure"}));
  }
}

TEST_F(ScriptRun, VectorInputsAreRefusedAfterTheCount) {
  fake::Procedure& p = procedure("vec");
  p.inputCtrl = {{"A"}, {"Points", 1}};
  EXPECT_FALSE(run({{int64_t{1}}, {int64_t{2}}}));
  EXPECT_EQ(
      err,
      "Cannot call procedure \"vec ( : : A, Points {dim:1}: )\" directly. It contains at least "
      "one input control vector. Vectors are not supported by Velotrax, yet.\nA possible way "
      "to solve this problem is to write a wrapper external procedure without vector "
      "arguments and call this new procedure instead.\n");
  EXPECT_FALSE(run({{int64_t{1}}}));
  EXPECT_NE(err.find("It contains 2 input control parameters, but 1 control parameter"),
            std::string::npos);
  EXPECT_EQ(err.find("vector"), std::string::npos);
  EXPECT_EQ(fake::engine().executions, 0);
}

TEST_F(ScriptRun, InputsGoInOrderAndOutputsArePrintedThenReleased) {
  fake::Procedure& p = procedure("calc");
  p.inputCtrl = {{"A"}, {"B"}};
  p.outputCtrl = {{"One"}, {"Empty"}, {"Mixed"}, {"Text"}};
  p.outputs = {{int64_t{5}}, {}, {int64_t{1}, 2.5, std::string("x")}, {std::string("abc")}};
  options.verbose = true;
  EXPECT_TRUE(run({{int64_t{7}}, {std::string("s"), 1.5}}));
  EXPECT_TRUE(fake::engine().inputs ==
              std::vector<fake::Elements>({{int64_t{7}}, {std::string("s"), 1.5}}));
  EXPECT_EQ(
      out,
      "Loading procedure: calc\nCalling procedure: calc ( : : A, B: One, Empty, Mixed, Text)\n"
      "output control parameters:\nOne: 5\nEmpty: []\nMixed: [1, 2.5, 'x']\nText: 'abc'\n");
  EXPECT_EQ(err, "");
  EXPECT_GE(elapsedMs, 0);
  EXPECT_EQ(fake::engine().executions, 1);
  // Two argument tuples stay with the caller (released when run() returned); four outputs went.
  EXPECT_EQ(fake::engine().tuplesCreated, 6);
  EXPECT_EQ(fake::engine().tuplesFreed, 6);
  EXPECT_TRUE(fake::engine().releases == Strings({"call", "procedure"}));
}

TEST_F(ScriptRun, AProcedureWithoutOutputsStillPrintsTheHeading) {
  procedure("quiet");
  EXPECT_TRUE(run());
  EXPECT_EQ(out, "output control parameters:\n");
}

TEST_F(ScriptRun, OutputsTheEngineRefusesFailTheRun) {
  fake::Procedure& p = procedure("calc");
  p.outputCtrl = {{"One"}, {"Two"}};
  p.outputs = {{int64_t{1}}, {int64_t{2}}};
  fake::engine().failOutputCount = true;
  EXPECT_FALSE(run());
  EXPECT_EQ(out, "output control parameters:\n");
  EXPECT_EQ(err,
            "error code: 21021 message: \"outputs not available\" prog line: -1 type: "
            "\"HDevEngineException\" \n");
  EXPECT_EQ(elapsedMs, -1);

  const fake::Procedure twoOutputs = p;
  fake::reset();
  procedure("calc") = twoOutputs;
  fake::engine().failOutputTuple = 2;
  EXPECT_FALSE(run());
  EXPECT_EQ(out, "output control parameters:\nOne: 1\n");
  EXPECT_NE(err.find("message: \"output not available\""), std::string::npos);
  EXPECT_EQ(fake::engine().recordsReleased, fake::engine().recordsCreated);
  EXPECT_EQ(fake::engine().tuplesFreed, fake::engine().tuplesCreated);
  EXPECT_TRUE(fake::engine().releases == Strings({"call", "procedure"}));
}

TEST_F(ScriptRun, EngineExceptionsAreReportedOthersPassOn) {
  procedure("failing");
  fake::engine().executeFailures["failing"] = {2, "failing", 21011, 0, "division by zero", ""};
  EXPECT_FALSE(run());
  EXPECT_EQ(err,
            "caught an unhandled exception while executing \"failing.hdvp\": proc name: "
            "\"failing\" error code: 21011 message: \"division by zero\" prog line: 0 type: "
            "\"HDevEngineException\" \n\n");
  EXPECT_EQ(out, "");
  EXPECT_EQ(elapsedMs, -1);
  EXPECT_TRUE(fake::engine().releases == Strings({"call", "procedure"}));
  EXPECT_EQ(fake::engine().recordsReleased, 1);

  fake::reset();
  procedure("failing");
  fake::engine().executeFailures["failing"] = {1, "div", 5200, -1, "file not found", ""};
  bool passedOn = false;
  try {
    run();
  } catch (const HDEException& e) {
    passedOn = e.record().type == 1;
  }
  EXPECT_TRUE(passedOn);
  EXPECT_TRUE(fake::engine().releases == Strings({"call", "procedure"}));
  EXPECT_EQ(fake::engine().recordsReleased, 1);
}

TEST_F(ScriptRun, ProgramsAreLoadedCalledAndReleasedCallFirst) {
  script.programPath = "/s/inspect.hdev";
  options.verbose = true;
  EXPECT_TRUE(run());
  EXPECT_EQ(out, "Loading program: /s/inspect.hdev\nCalling program: /s/inspect.hdev\n");
  EXPECT_GE(elapsedMs, 0);
  EXPECT_TRUE(fake::engine().releases == Strings({"program call", "program"}));

  fake::reset();
  options.checkonly = true;
  EXPECT_TRUE(run());
  EXPECT_EQ(out.substr(0, out.rfind(" (")),
            "Loading program: /s/inspect.hdev\nSuccessfully loaded program: /s/inspect.hdev");
  EXPECT_EQ(fake::engine().executions, 0);
  EXPECT_EQ(elapsedMs, -1);
  EXPECT_TRUE(fake::engine().releases == Strings({"program"}));
}

TEST_F(ScriptRun, AProgramNotFoundFailsAndIsNamedAsTyped) {
  options.scriptArgument = "missing.hdev";
  EXPECT_FALSE(run());
  EXPECT_EQ(out + err, "");
  const CapturedOutput output;
  reportRunResult(request, false, elapsedMs);
  EXPECT_EQ(output.err(), "Execution of program missing.hdev failed.\n");
}

TEST_F(ScriptRun, AQueryRunsNothing) {
  procedure("p");
  options.queryMode = true;
  EXPECT_FALSE(run());
  EXPECT_EQ(fake::engine().executions + fake::engine().releases.size(), 0u);
}

TEST_F(ScriptRun, TheResultLineNamesTheScriptTheOutcomeAndTheTime) {
  const CapturedOutput output;
  script.programPath = "C:\\scripts\\inspect.hdev";
  reportRunResult(request, true, 1523);
  script.programPath = "";
  script.procedureName = "measure_gap";
  options.checkonly = true;
  reportRunResult(request, true, -1);
  reportRunResult(request, false, -1);
  options.checkonly = false;
  reportRunResult(request, true, 0);
  EXPECT_EQ(output.out(),
            "Execution of program C:\\scripts\\inspect.hdev succeeded (1523ms).\n"
            "Check of procedure measure_gap succeeded.\n"
            "Execution of procedure measure_gap succeeded (0ms).\n");
  EXPECT_EQ(output.err(), "Check of procedure measure_gap failed.\n");
}

}  // namespace
}  // namespace Velotrax
