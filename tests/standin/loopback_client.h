// A TCP client on 127.0.0.1 for debug server tests (one file per platform).
#pragma once

#include <memory>
#include <string>

// A port on 127.0.0.1 that nothing listens on right now.
int freeLoopbackPort();

class LoopbackClient {
 public:
  explicit LoopbackClient(int port);
  ~LoopbackClient();
  bool connected() const;
  // Sends all of text, waiting while the server does not read; false once the connection is gone.
  bool send(const std::string& text);
  // Ends both directions of the connection; a send blocked on another thread returns.
  void hangUp();
  // Resets the connection at once (a server blocked in sending to it fails); no other thread may
  // use the client any more.
  void abort();
  // One line without its end; empty on hang-up or after two seconds.
  std::string readLine();

 private:
  struct Socket;
  std::unique_ptr<Socket> socket_;
  std::string buffer_;
};
