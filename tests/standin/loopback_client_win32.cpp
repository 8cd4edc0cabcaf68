#include <winsock2.h>

#include "loopback_client.h"

struct LoopbackClient::Socket {
  SOCKET s = INVALID_SOCKET;
  ~Socket() {
    if (s != INVALID_SOCKET) ::closesocket(s);
  }
};

LoopbackClient::LoopbackClient(int port) : socket_(std::make_unique<Socket>()) {
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<u_short>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  DWORD timeout = 2000;
  if (s != INVALID_SOCKET)
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                 sizeof timeout);
  if (s != INVALID_SOCKET && ::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    socket_->s = s;
  } else if (s != INVALID_SOCKET) {
    ::closesocket(s);
  }
}

LoopbackClient::~LoopbackClient() = default;

bool LoopbackClient::connected() const {
  return socket_->s != INVALID_SOCKET;
}

bool LoopbackClient::send(const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    int n = socket_->s == INVALID_SOCKET
                ? -1
                : ::send(socket_->s, text.data() + done, static_cast<int>(text.size() - done), 0);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void LoopbackClient::hangUp() {
  if (socket_->s != INVALID_SOCKET) ::shutdown(socket_->s, SD_BOTH);
}

void LoopbackClient::abort() {
  if (socket_->s == INVALID_SOCKET) return;
  linger reset{1, 0};
  ::setsockopt(socket_->s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset),
               sizeof reset);
  ::closesocket(socket_->s);
  socket_->s = INVALID_SOCKET;
}

int freeLoopbackPort() {
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof addr;
  int port = 0;
  if (s != INVALID_SOCKET && ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    port = ntohs(addr.sin_port);
  if (s != INVALID_SOCKET) ::closesocket(s);
  return port;
}

std::string LoopbackClient::readLine() {
  while (socket_->s != INVALID_SOCKET) {
    size_t nl = buffer_.find('\n');
    if (nl != std::string::npos) {
      std::string line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      return line;
    }
    char chunk[256];
    int n = ::recv(socket_->s, chunk, sizeof chunk, 0);
    if (n <= 0) return {};
    buffer_.append(chunk, static_cast<size_t>(n));
  }
  return {};
}
