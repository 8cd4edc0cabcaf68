#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "loopback_client.h"

struct LoopbackClient::Socket {
  int fd = -1;
  ~Socket() {
    if (fd >= 0) ::close(fd);
  }
};

LoopbackClient::LoopbackClient(int port) : socket_(std::make_unique<Socket>()) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    socket_->fd = fd;
  } else if (fd >= 0) {
    ::close(fd);
  }
}

LoopbackClient::~LoopbackClient() = default;

bool LoopbackClient::connected() const {
  return socket_->fd >= 0;
}

bool LoopbackClient::send(const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    ssize_t n = socket_->fd < 0
                    ? -1
                    : ::send(socket_->fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void LoopbackClient::hangUp() {
  if (socket_->fd >= 0) ::shutdown(socket_->fd, SHUT_RDWR);
}

void LoopbackClient::abort() {
  if (socket_->fd < 0) return;
  linger reset{1, 0};
  ::setsockopt(socket_->fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  ::close(socket_->fd);
  socket_->fd = -1;
}

int freeLoopbackPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  int port = 0;
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    port = ntohs(addr.sin_port);
  if (fd >= 0) ::close(fd);
  return port;
}

std::string LoopbackClient::readLine() {
  while (socket_->fd >= 0) {
    size_t nl = buffer_.find('\n');
    if (nl != std::string::npos) {
      std::string line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      return line;
    }
    pollfd p{socket_->fd, POLLIN, 0};
    if (::poll(&p, 1, 2000) <= 0) return {};
    char chunk[256];
    ssize_t n = ::recv(socket_->fd, chunk, sizeof chunk, 0);
    if (n <= 0) return {};
    buffer_.append(chunk, static_cast<size_t>(n));
  }
  return {};
}
