// The debug server listens on the loopback interface and checks passwords; stopping it
// returns promptly whatever its client does.
#include <atomic>
#include <chrono>
#include <future>
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
    engine.SetEngineAttribute("debug_port", HTuple(freeLoopbackPort()));
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
  EXPECT_THROW(engine.SetEngineAttribute("debug_port", HTuple("57786")), HDevEngineException);
  EXPECT_THROW(engine.SetEngineAttribute("no_such_attribute", HTuple(1)), HDevEngineException);
}

TEST_F(DebugServer, PortsOutsideTheRangeAreClearErrors) {
  HDevEngine engine;
  engine.SetEngineAttribute("debug_port", HTuple(4242));
  for (long long port : {0LL, -1LL, 65536LL, 70000LL}) {
    try {
      engine.SetEngineAttribute("debug_port", HTuple(port));
      ADD_FAILURE();
    } catch (const HDevEngineException& e) {
      EXPECT_EQ(e.HalconErrorCode(), 1302);
      EXPECT_EQ(std::string(e.Message()),
                "Invalid value for engine attribute 'debug_port': " + std::to_string(port) +
                    " is not a port number from 1 to 65535");
    }
  }
  EXPECT_EQ(engine.GetEngineAttribute("debug_port")[0].L(), 4242);
}

namespace {

// Runs fn on its own thread; true when it returned within ten seconds (a hang detector, not
// a speed check). `unblock` runs afterwards either way, so that a call that hangs can finish.
template <typename Fn, typename Unblock>
bool returnsPromptly(Fn fn, Unblock unblock) {
  auto done = std::async(std::launch::async, fn);
  bool prompt = done.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  unblock();
  done.wait();
  return prompt;
}

}  // namespace

TEST_F(DebugServer, StopReturnsWhileTheClientReadsNoReplies) {
  int port = startServer("");
  LoopbackClient client(port);
  ASSERT_EQ(client.readLine(), "OK HDevEngine 13.0.1");
  // Pings without reading a single pong: the server's replies back up until it cannot send.
  std::atomic<long long> sent{0};
  std::thread flood([&] {
    std::string pings;
    for (int i = 0; i < 16384; ++i) pings += "ping\n";
    while (client.send(pings)) sent += static_cast<long long>(pings.size());
  });
  // Once the server stops reading for a second, it is stuck sending.
  long long seen = -1;
  for (int i = 0; i < 60 && seen != sent.load(); ++i) {
    seen = sent.load();
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  EXPECT_TRUE(returnsPromptly([] { HDevEngine().StopDebugServer(); },
                              [&] {
                                client.hangUp();
                                flood.join();
                                client.abort();
                              }));
}

TEST_F(DebugServer, AWaitingRunHoldsNoLock) {
  HDevEngine engine;
  engine.SetEngineAttribute("debug_wait_for_connection", HTuple("true"));
  int port = startServer("");
  std::string path = write("wait2.hdev", fileXml({procedureXml("main", {}, {"X := 1"})}));
  std::atomic<bool> done{false};
  std::thread runner([&] {
    runProgram(path);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(done.load());
  // A client that connects late ends the wait, should a call hang behind the waiting run.
  auto connectLate = [port] { LoopbackClient(port).readLine(); };
  EXPECT_TRUE(
      returnsPromptly([] { HDevEngine().GetEngineAttribute("debug_server_port"); }, connectLate));
  EXPECT_TRUE(returnsPromptly([] { HDevEngine().StopDebugServer(); }, connectLate));
  runner.join();
  EXPECT_TRUE(done.load());
}

TEST_F(DebugServer, FirstExecutionWaitsForConnection) {
  HDevEngine engine;
  engine.SetEngineAttribute("debug_wait_for_connection", HTuple("true"));
  int port = startServer("pw");
  std::string path = write("wait.hdev", fileXml({procedureXml("main", {}, {"X := 1"})}));
  std::atomic<bool> done{false};
  std::thread runner([&] {
    runProgram(path);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(done.load());
  LoopbackClient client(port);
  client.send("pw\n");
  EXPECT_EQ(client.readLine(), "OK HDevEngine 13.0.1");
  runner.join();
  EXPECT_TRUE(done.load());
}
