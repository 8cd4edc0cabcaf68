// The runner bound to the real bridge and the stand-in engine, in one process: the set-up of a
// run from the installation to a listening debugger, the version query, and a real engine error.
// Runs in the build's bin directory with HALCONROOT naming the build's installation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "common/messages.h"
#include "common/run_settings.h"
#include "execution/engine_configuration.h"
#include "halcon/engine_client.h"
#include "halcon/halcon_environment.h"
#include "halcon/hde_exception.h"
#include "loopback.h"

namespace Velotrax {
namespace {

// First in this file: it needs a process in which no client exists yet.
TEST(EngineClientCreation, IsRetriedAfterAFailureAndHappensOnceForConcurrentCallers) {
  enableConsoleMode();
  // No search directory yet: the vision library is not found.
  try {
    engineClient();
    FAIL() << "a client without an installation";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Could not load libhalconcpp.so: ", 0), 0u) << e.what();
  }
  EXPECT_THROW(engineClient(), std::runtime_error) << "a failure is not kept";

  ASSERT_TRUE(prepareHalconEnvironment(runSettings()));
  std::vector<const EngineClient*> seen(8);
  std::vector<std::thread> callers;
  for (const EngineClient*& client : seen)
    callers.emplace_back([&client] { client = &engineClient(); });
  for (std::thread& caller : callers) caller.join();
  for (const EngineClient* client : seen) EXPECT_EQ(client, seen[0]);
  EXPECT_TRUE(seen[0]->hprepareShutdown && seen[0]->hstopDebugServer && seen[0]->module);
}

class RealEngine : public testing::Test {
 protected:
  // Prepares and starts the engine once per process, as a run's set-up does.
  static void SetUpTestSuite() {
    enableConsoleMode();
    RunSettings& settings = runSettings();
    settings.noDefaultWindow = true;
    ASSERT_TRUE(prepareHalconEnvironment(settings));
    startEngine(settings);
  }
};

TEST_F(RealEngine, DebuggerListensOnTheConfiguredPort) {
  RunSettings& settings = runSettings();
  settings.debug = true;
  settings.debugPort = freeLoopbackPort();
  ASSERT_GT(settings.debugPort, 0);
  EXPECT_EQ(firstLineFrom(settings.debugPort), "") << "nothing listens before";
  setProcedurePath(".", settings.verbose);
  applyEngineAttributes(settings);
  EXPECT_EQ(firstLineFrom(settings.debugPort), "OK HDevEngine 13.0.1");
}

TEST_F(RealEngine, VersionQuery) {
  EXPECT_EQ(engineVersion(), "13.0.1");
}

TEST_F(RealEngine, EngineErrorsBecomeReports) {
  const EngineClient& engine = engineClient();
  ProcedureHandle procedure = nullptr;
  try {
    throwIfFailed(engine.hcreateProcedure("no_such_procedure_anywhere", &procedure));
    FAIL() << "the procedure was found";
  } catch (const HDEException& e) {
    EXPECT_EQ(e.record().type, 2);
    const std::string report = e.what();
    EXPECT_EQ(report.rfind("proc name: ", 0), 0u) << report;
    EXPECT_NE(report.find("no_such_procedure_anywhere"), std::string::npos) << report;
    EXPECT_TRUE(report.ends_with(" type: \"HDevEngineException\" ")) << report;
  }
  EXPECT_EQ(procedure, nullptr);
}

}  // namespace
}  // namespace Velotrax
