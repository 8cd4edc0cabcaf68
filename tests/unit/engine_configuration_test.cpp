// Engine start and configuration over a fake bridge: the calls, their order and arguments, the
// verbose trace, and the stop at the first failing step.
#include <gtest/gtest.h>

#include "common/messages.h"
#include "common/run_settings.h"
#include "execution/engine_configuration.h"
#include "fake_engine.h"
#include "halcon/hde_exception.h"

namespace Velotrax {
namespace {

using Lines = std::vector<std::string>;

class EngineConfiguration : public testing::Test {
 protected:
  void SetUp() override {
    enableConsoleMode();
    fake::install();
  }
  RunSettings& settings() { return options; }
  RunSettings options;

  // Runs `step`, returning what it wrote on standard output as lines.
  template <class Step>
  Lines traced(Step step) {
    testing::internal::CaptureStdout();
    step();
    const std::string out = testing::internal::GetCapturedStdout();
    Lines lines;
    for (size_t start = 0; start < out.size();) {
      const size_t end = out.find('\n', start);
      lines.push_back(out.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }
};

TEST_F(EngineConfiguration, StartCallsEveryStepInOrder) {
  EXPECT_EQ(traced([this] { startEngine(options); }), Lines{});
  EXPECT_EQ(fake::engine().calls,
            (Lines{"hinit 0", "hsetVerbosity 0", "hsetFullscreen 0", "hsetStdOutHandler ptr",
                   "hsetStdErrHandler ptr", "hopenDefaultWindow"}));
  EXPECT_EQ(fake::engine().normalOutput, &stdOutHandler);
  EXPECT_EQ(fake::engine().errorOutput, &stdErrHandler);
}

TEST_F(EngineConfiguration, StartFollowsTheOptions) {
  settings().verbose = settings().fullscreen = settings().noDefaultWindow = true;
  EXPECT_EQ(traced([this] { startEngine(options); }), Lines{"Loading HALCON library"});
  EXPECT_EQ(fake::engine().calls, (Lines{"hinit 0", "hsetVerbosity 1", "hsetFullscreen 1",
                                         "hsetStdOutHandler ptr", "hsetStdErrHandler ptr"}));
}

TEST_F(EngineConfiguration, StartStopsAtTheFirstFailure) {
  fake::engine().failing = {"hinit"};
  EXPECT_THROW(startEngine(options), HDEException);
  EXPECT_EQ(fake::engine().calls, Lines{"hinit 0"});
  fake::install();
  fake::engine().failing = {"hopenDefaultWindow"};
  try {
    startEngine(options);
    FAIL() << "no exception";
  } catch (const HDEException& e) {
    EXPECT_STREQ(e.what(),
                 "proc name: \"hopenDefaultWindow\" error code: 5200 message: \"fake failure\" "
                 "prog line: -1 type: \"HException\" ");
  }
  EXPECT_EQ(fake::engine().calls.size(), 6u);
  EXPECT_EQ(fake::engine().recordsReleased, 1);
}

TEST_F(EngineConfiguration, ProcedurePathIsOneCallEvenWhenEmpty) {
  settings().verbose = true;
  EXPECT_EQ(traced([this] { setProcedurePath("/scripts;/more procs", options.verbose); }),
            Lines{"Setting HDevEngine procedure path: /scripts;/more procs"});
  settings().verbose = false;
  EXPECT_EQ(traced([this] { setProcedurePath("", options.verbose); }), Lines{});
  EXPECT_EQ(fake::engine().calls,
            (Lines{"haddProcedurePath \"/scripts;/more procs\"", "haddProcedurePath \"\""}));
}

TEST_F(EngineConfiguration, NoAttributeIsSetWithoutItsOption) {
  settings().debugPort = 4000;
  settings().debugPassword = "secret";
  settings().debugWaitForConnection = true;
  applyEngineAttributes(options);
  EXPECT_EQ(fake::engine().calls, Lines{});
}

TEST_F(EngineConfiguration, DebugAloneUsesTheDefaults) {
  settings().debug = true;
  EXPECT_EQ(traced([this] { applyEngineAttributes(options); }), Lines{});
  EXPECT_EQ(fake::engine().calls,
            (Lines{"hsetEngineAttribute \"debug_wait_for_connection\" \"false\"",
                   "hsetEngineAttributeInt \"debug_port\" 57786",
                   "hsetEngineAttribute \"debug_password\" \"\"", "hstartDebugServer"}));
}

TEST_F(EngineConfiguration, VerboseTraceOfDebuggerThenAttributes) {
  settings().verbose = settings().debug = settings().debugWaitForConnection = true;
  settings().debugPort = 4000;
  settings().debugPassword = "pw";
  settings().ignoreUnresolvedLines = settings().ignoreInvalidLines = true;
  settings().executeProceduresJitCompiled = true;
  EXPECT_EQ(traced([this] { applyEngineAttributes(options); }),
            (Lines{"Setting HDevEngine debugger on port 4000",
                   "HDevEngine debugger on port 4000 started and waiting for connection...",
                   "Setting HDevEngine attribute \"ignore_unresolved_lines\" to 1",
                   "Setting HDevEngine attribute \"ignore_invalid_lines\" to 1",
                   "Setting HDevEngine attribute \"execute_procedures_jit_compiled\" to 1"}));
  EXPECT_EQ(fake::engine().calls,
            (Lines{"hsetEngineAttribute \"debug_wait_for_connection\" \"true\"",
                   "hsetEngineAttributeInt \"debug_port\" 4000",
                   "hsetEngineAttribute \"debug_password\" \"pw\"", "hstartDebugServer",
                   "hsetEngineAttributeInt \"ignore_unresolved_lines\" 1",
                   "hsetEngineAttributeInt \"ignore_invalid_lines\" 1",
                   "hsetEngineAttributeInt \"execute_procedures_jit_compiled\" 1"}));
}

TEST_F(EngineConfiguration, StartedDebuggerWithoutWaiting) {
  settings().verbose = settings().debug = true;
  EXPECT_EQ(traced([this] { applyEngineAttributes(options); }),
            (Lines{"Setting HDevEngine debugger on port 57786",
                   "HDevEngine debugger on port 57786 started."}));
}

TEST_F(EngineConfiguration, AttributesStopAtTheFirstFailure) {
  settings().verbose = settings().debug = settings().ignoreInvalidLines = true;
  fake::engine().failing = {"hstartDebugServer"};
  testing::internal::CaptureStdout();
  EXPECT_THROW(applyEngineAttributes(options), HDEException);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Setting HDevEngine debugger on port 57786\n");
  EXPECT_EQ(fake::engine().calls.back(), "hstartDebugServer");
  EXPECT_TRUE(fake::engine().callsOf("hsetEngineAttributeInt \"ignore").empty());
}

}  // namespace
}  // namespace Velotrax
