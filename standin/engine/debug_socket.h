// Loopback TCP sockets for the debug server, one implementation per
// platform (debug_socket_posix.cpp, debug_socket_win32.cpp). Every blocking
// call returns at once after wake().
#pragma once

#include <memory>
#include <string>

namespace standin::engine {

class ClientSocket {
 public:
  virtual ~ClientSocket() = default;
  // Reads one line (without its end) of at most maxBytes; false on hang-up,
  // error, overlong line or wake-up.
  bool readLine(std::string& line, size_t maxBytes);
  virtual bool writeAll(const std::string& text) = 0;

 protected:
  // Reads some bytes into buffer, waiting for them; 0 on hang-up, error or wake-up.
  virtual size_t receive(char* buffer, size_t size) = 0;

 private:
  std::string pending_;  // received bytes not yet handed out as lines
};

class ListenSocket {
 public:
  virtual ~ListenSocket() = default;
  // Binds 127.0.0.1:port and listens; null with the system's reason on failure.
  static std::unique_ptr<ListenSocket> open(int port, std::string& error);
  virtual int port() const = 0;
  // The next connection, or null after wake() or on error.
  virtual std::unique_ptr<ClientSocket> accept() = 0;
  // Makes accept and every readLine of its clients return; stays woken.
  virtual void wake() = 0;
};

}  // namespace standin::engine
