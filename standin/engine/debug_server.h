// The engine's debug server: listens on the loopback interface for a remote
// debugger. A client that connects must send the password (when one is set)
// as its first line; it is then told "OK" and stays attached until it hangs up.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace standin::engine {

class ListenSocket;

class DebugServer {
 public:
  DebugServer();
  ~DebugServer();
  DebugServer(const DebugServer&) = delete;
  DebugServer& operator=(const DebugServer&) = delete;

  // Starts listening on 127.0.0.1:port (0 picks a free port); restarts a
  // running server. Throws HDevEngineException when the port cannot be used.
  void start(int port, const std::string& password);
  void stop();
  bool running() const;
  // The port actually listened on, 0 when stopped.
  int port() const;
  // Blocks until an authenticated client is attached or the server stops.
  void waitForClient();
  int attachedClients() const;

 private:
  void serve();

  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::unique_ptr<ListenSocket> socket_;
  std::thread thread_;
  std::string password_;
  int port_ = 0;
  int attached_ = 0;
  bool stopping_ = false;
};

}  // namespace standin::engine
