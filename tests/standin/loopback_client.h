// A TCP client on 127.0.0.1 for debug server tests (one file per platform).
#pragma once

#include <memory>
#include <string>

class LoopbackClient {
 public:
  explicit LoopbackClient(int port);
  ~LoopbackClient();
  bool connected() const;
  void send(const std::string& text);
  // One line without its end; empty on hang-up or after two seconds.
  std::string readLine();

 private:
  struct Socket;
  std::unique_ptr<Socket> socket_;
  std::string buffer_;
};
