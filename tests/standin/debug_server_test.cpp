// The debug server listens on the loopback interface and checks passwords.
#include <string>
#include <thread>

#include "loopback_client.h"
#include "script_fixture.h"

using namespace HDevEngineCpp;
using HalconCpp::HTuple;

class DebugServer : public ScriptTest {
 protected:
  void TearDown() override {
    HDevEngine engine;
    engine.StopDebugServer();
    engine.SetEngineAttribute("debug_wait_for_connection", HTuple("false"));
    engine.SetEngineAttribute("debug_password", HTuple(""));
    ScriptTest::TearDown();
  }
  int startServer(const char* password) {
    HDevEngine engine;
    engine.SetEngineAttribute("debug_port", HTuple(0));
    engine.SetEngineAttribute("debug_password", HTuple(password));
    engine.StartDebugServer();
    return static_cast<int>(engine.GetEngineAttribute("debug_server_port")[0].L());
  }
};

TEST_F(DebugServer, AcceptsClientWithoutPassword) {
  int port = startServer("");
  ASSERT_GE(port, 1);
  LoopbackClient client(port);
  ASSERT_TRUE(client.connected());
  EXPECT_EQ(client.readLine(), "OK HDevEngine 13.0.1");
  client.send("ping\n");
  EXPECT_EQ(client.readLine(), "pong");
}

TEST_F(DebugServer, PasswordIsTheFirstLine) {
  int port = startServer("s3cret");
  LoopbackClient wrong(port);
  ASSERT_TRUE(wrong.connected());
  wrong.send("guess\n");
  EXPECT_EQ(wrong.readLine(), "ERROR wrong password");
  LoopbackClient right(port);
  right.send("s3cret\n");
  EXPECT_EQ(right.readLine(), "OK HDevEngine 13.0.1");
}

TEST_F(DebugServer, StopEndsListening) {
  int port = startServer("");
  HDevEngine().StopDebugServer();
  LoopbackClient client(port);
  EXPECT_FALSE(client.connected());
  EXPECT_EQ(HDevEngine().GetEngineAttribute("debug_server_port")[0].L(), 0);
}

TEST_F(DebugServer, RestartOnSamePortAndBadPorts) {
  int port = startServer("");
  HDevEngine engine;
  engine.SetEngineAttribute("debug_port", HTuple(port));
  engine.StartDebugServer();  // stops the running server first, so the port is free again
  LoopbackClient client(port);
  EXPECT_EQ(client.readLine(), "OK HDevEngine 13.0.1");
  EXPECT_THROW(engine.SetEngineAttribute("debug_port", HTuple(70000)), HDevEngineException);
  EXPECT_THROW(engine.SetEngineAttribute("debug_port", HTuple("57786")), HDevEngineException);
  EXPECT_THROW(engine.SetEngineAttribute("no_such_attribute", HTuple(1)), HDevEngineException);
}

TEST_F(DebugServer, FirstExecutionWaitsForConnection) {
  HDevEngine engine;
  engine.SetEngineAttribute("debug_wait_for_connection", HTuple("true"));
  int port = startServer("pw");
  std::string path = write("wait.hdev", fileXml({procedureXml("main", {}, {"X := 1"})}));
  bool done = false;
  std::thread runner([&] {
    runProgram(path);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(done);
  LoopbackClient client(port);
  client.send("pw\n");
  EXPECT_EQ(client.readLine(), "OK HDevEngine 13.0.1");
  runner.join();
  EXPECT_TRUE(done);
}
