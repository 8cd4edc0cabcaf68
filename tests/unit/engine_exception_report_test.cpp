// The engine exception report over real script files: which line fails, the six lines around
// it, the marker and error text, and the cases that show no context.
#include "execution/engine_exception_report.h"

#include <string>

#include "captured_output.h"
#include "common/run_settings.h"
#include "fake_engine.h"
#include "temp_directory.h"
#include "test_framework.h"

namespace Velotrax {
namespace {

const std::vector<std::string> kMain = {"* one",    "two := 2", "* three",    "four := 4",
                                        "five := ", "six := 6", "seven := 7", "eight := 8"};

class EngineExceptionReport : public testing::Test {
 protected:
  void SetUp() override {
    fake::install();
    search.halconroot = scratch.directory("halcon");
    program = scratch.write("app/inspect.hdev", scriptXml({procedureXml("main", kMain),
                                                           procedureXml("mainly", {"m1", "m2"}),
                                                           procedureXml("local", {"l1"})}));
    scriptPath = program;
    search.procedureDirectories = {scratch / "app"};
  }

  // The report of a record as written, and whether writing it threw.
  std::string report(const fake::Failure& failure, bool* threw = nullptr) {
    const HDEException exception(fake::makeRecord(failure));
    const CapturedOutput output;
    try {
      reportEngineException(exception, search, scriptPath);
    } catch (const std::exception&) {
      if (threw) *threw = true;
    }
    return output.err();
  }

  std::string firstLine(const fake::Failure& failure) {
    return "caught an unhandled exception while executing \"" + program +
           "\": " + HDEException(fake::makeRecord(failure)).what() + "\n";
  }

  ScriptSearch search;
  std::string scriptPath;
  ScratchDirectory scratch;
  std::string program;
};

TEST_F(EngineExceptionReport, AnInvalidLineNamedByTheMessageShowsItsContextAndMarker) {
  const fake::Failure invalid{2,
                              "main",
                              4,
                              -1,
                              "Error(s) in procedure 'main': there is an invalid program line: 5",
                              "invalid line"};
  EXPECT_EQ(report(invalid), firstLine(invalid) +
                                 "\ntwo := 2\n* three\nfour := 4\nfive :=  <------------\nsix := "
                                 "6\nseven := 7\n\n");
  const fake::Failure unresolved{
      2,
      "main",
      4,
      -1,
      "Error(s) in procedure 'main':  there are unresolved procedure calls: 2, 7",
      "x"};
  EXPECT_EQ(report(unresolved),
            firstLine(unresolved) + "\n* one\ntwo := 2 <------------\n* three\nfour := 4\n\n");
}

TEST_F(EngineExceptionReport, ARuntimeErrorOnLineOneShowsThreeLinesAndTheErrorText) {
  scriptPath = scratch.write(
      "app/measure.hdvp",
      scriptXml({procedureXml("measure", {"a := 1 / 0", "b := 2", "c := 3", "d := 4"})}));
  const fake::Failure division{2, "measure", 21011, 1, "division by zero", "Division by zero"};
  EXPECT_EQ(report(division),
            "caught an unhandled exception while executing \"" + scriptPath +
                "\": " + HDEException(fake::makeRecord(division)).what() +
                "\n\na := 1 / 0 <------------Division by zero\nb := 2\nc := 3\n\n");
}

TEST_F(EngineExceptionReport, LinesThatCannotBeShownAreLeftOut) {
  const fake::Failure zero{2, "main", 21012, 0, "variable not set", "x"};
  EXPECT_EQ(report(zero), firstLine(zero) + "\n");
  const fake::Failure unknown{2, "main", 21012, -1, "variable not set", "x"};
  EXPECT_EQ(report(unknown), firstLine(unknown) + "\n");
  const fake::Failure noName{2, "", 21012, 3, "variable not set", "x"};
  EXPECT_EQ(report(noName), firstLine(noName) + "\n");
  const fake::Failure beyond{2, "main", 21012, 10, "m", "T"};
  EXPECT_EQ(report(beyond), firstLine(beyond) + "\nseven := 7\neight := 8\n\n");
  const fake::Failure farBeyond{2, "main", 21012, 40, "m", "T"};
  EXPECT_EQ(report(farBeyond), firstLine(farBeyond) + "\n\n");
  const fake::Failure nowhere{2, "nowhere", 21012, 2, "m", "T"};
  EXPECT_EQ(report(nowhere), firstLine(nowhere) + "\n\n");
}

TEST_F(EngineExceptionReport, AProgramsMainProcedureIsNamedWithItsFile) {
  const fake::Failure withFile{2, "main (inspect.hdev)", 21012, 1, "m", "T"};
  EXPECT_EQ(report(withFile),
            firstLine(withFile) + "\n* one <------------T\ntwo := 2\n* three\n\n");
  const fake::Failure mainly{2, "mainly", 21012, 2, "m", "T"};
  EXPECT_EQ(report(mainly), firstLine(mainly) + "\nm1\nm2 <------------T\n\n");
  const fake::Failure shortName{2, "main()", 21012, 1, "m", "T"};
  EXPECT_EQ(report(shortName), firstLine(shortName) + "\n\n");
}

TEST_F(EngineExceptionReport, ALineNumberBeyondThirtyTwoBitsDropsTheReport) {
  bool threw = false;
  const fake::Failure huge{2,
                           "main",
                           4,
                           -1,
                           "Error(s) in procedure 'main': there is an invalid program line: "
                           "99999999999",
                           "x"};
  EXPECT_EQ(report(huge, &threw), "");
  EXPECT_TRUE(threw);
}

}  // namespace
}  // namespace Velotrax
