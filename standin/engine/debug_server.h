// The engine's debug server: listens on the loopback interface for a remote
// debugger. A client that connects must send the password (when one is set)
// as its first line; it is then told "OK" and stays attached until it hangs up.
#pragma once

#include <condition_variable>
#include <cstdint>
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

  // Starts listening on 127.0.0.1:port (1 to 65535); restarts a running server. Throws
  // HDevEngineException when the port cannot be used.
  void start(int64_t port, const std::string& password);
  // Stops listening and ends the connection; returns promptly whatever the client does.
  void stop();
  bool running() const;
  // The port actually listened on, 0 when stopped.
  int port() const;
  // Blocks until an authenticated client is attached or the server stops.
  void waitForClient();
  int attachedClients() const;

 private:
  void serve();
  void stopServing();
  // A client that keeps sending never lets a read wait, so the loop asks between lines.
  bool stopRequested() const;

  std::mutex control_;  // held by start and stop, so that they take turns
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
