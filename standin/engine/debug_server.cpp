#include "debug_server.h"

#include "HDevEngineCpp.h"
#include "debug_socket.h"
#include "errors.h"

namespace standin::engine {

// Longest line a debugger client may send; longer input ends the connection.
constexpr size_t kMaxDebugLine = 4096;

DebugServer::DebugServer() = default;

DebugServer::~DebugServer() {
  stop();
}

void DebugServer::start(int64_t port, const std::string& password) {
  std::lock_guard<std::mutex> control(control_);
  stopServing();
  if (port < 1 || port > 65535)
    throw HDevEngineCpp::HDevEngineException(
        ("Debug port " + std::to_string(port) + " is not a port number from 1 to 65535").c_str(),
        err::kWrongValue + 1, "", "", -1);
  std::string error;
  std::unique_ptr<ListenSocket> socket = ListenSocket::open(static_cast<int>(port), error);
  if (!socket)
    throw HDevEngineCpp::HDevEngineException(
        ("Debug server could not listen on port " + std::to_string(port) + ": " + error).c_str(),
        err::kDebugServer, "", "", -1);
  std::lock_guard<std::mutex> guard(lock_);
  socket_ = std::move(socket);
  password_ = password;
  port_ = socket_->port();
  stopping_ = false;
  thread_ = std::thread([this] { serve(); });
}

void DebugServer::stop() {
  std::lock_guard<std::mutex> control(control_);
  stopServing();
}

void DebugServer::stopServing() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!socket_) return;
    stopping_ = true;
    socket_->wake();
  }
  changed_.notify_all();
  thread_.join();
  std::lock_guard<std::mutex> guard(lock_);
  socket_.reset();
  port_ = 0;
  attached_ = 0;
}

bool DebugServer::running() const {
  std::lock_guard<std::mutex> guard(lock_);
  return socket_ != nullptr;
}

int DebugServer::port() const {
  std::lock_guard<std::mutex> guard(lock_);
  return port_;
}

int DebugServer::attachedClients() const {
  std::lock_guard<std::mutex> guard(lock_);
  return attached_;
}

void DebugServer::waitForClient() {
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait(guard, [this] { return attached_ > 0 || stopping_ || !socket_; });
}

bool DebugServer::stopRequested() const {
  std::lock_guard<std::mutex> guard(lock_);
  return stopping_;
}

// One client at a time: authenticate, then answer "ping" until it hangs up.
void DebugServer::serve() {
  while (true) {
    std::unique_ptr<ClientSocket> client = socket_->accept();
    if (!client) return;  // woken by stop()
    std::string line;
    if (!password_.empty()) {
      if (!client->readLine(line, kMaxDebugLine)) continue;
      if (line != password_) {
        client->writeAll("ERROR wrong password\n");
        continue;
      }
    }
    if (!client->writeAll("OK HDevEngine 13.0.1\n")) continue;
    {
      std::lock_guard<std::mutex> guard(lock_);
      ++attached_;
    }
    changed_.notify_all();
    while (client->readLine(line, kMaxDebugLine) && !stopRequested()) {
      if (line == "quit") break;
      if (!client->writeAll(line == "ping" ? "pong\n" : "ERROR unknown command\n")) break;
    }
    {
      std::lock_guard<std::mutex> guard(lock_);
      --attached_;
    }
    changed_.notify_all();
  }
}

}  // namespace standin::engine
