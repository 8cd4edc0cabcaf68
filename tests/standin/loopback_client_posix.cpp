#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "loopback_client.h"
#include "os/unique_fd_posix.h"

using Velotrax::os::UniqueFd;

struct LoopbackClient::Socket {
  UniqueFd fd;
};

namespace {

sockaddr_in loopback(int port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return addr;
}

}  // namespace

LoopbackClient::LoopbackClient(int port) : socket_(std::make_unique<Socket>()) {
  UniqueFd fd(::socket(AF_INET, SOCK_STREAM, 0));
  const sockaddr_in addr = loopback(port);
  if (fd && ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0)
    socket_->fd = std::move(fd);
}

LoopbackClient::~LoopbackClient() = default;

bool LoopbackClient::connected() const {
  return static_cast<bool>(socket_->fd);
}

bool LoopbackClient::send(const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    ssize_t n = !socket_->fd ? -1
                             : ::send(socket_->fd.get(), text.data() + done, text.size() - done,
                                      MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void LoopbackClient::hangUp() {
  if (socket_->fd) ::shutdown(socket_->fd.get(), SHUT_RDWR);
}

void LoopbackClient::abort() {
  if (!socket_->fd) return;
  linger reset{1, 0};
  ::setsockopt(socket_->fd.get(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  socket_->fd.reset();
}

int freeLoopbackPort() {
  const UniqueFd fd(::socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in addr = loopback(0);
  socklen_t len = sizeof addr;
  if (fd && ::bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    return ntohs(addr.sin_port);
  return 0;
}

std::string LoopbackClient::readLine() {
  while (socket_->fd) {
    size_t nl = buffer_.find('\n');
    if (nl != std::string::npos) {
      std::string line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      return line;
    }
    pollfd p{socket_->fd.get(), POLLIN, 0};
    if (::poll(&p, 1, 2000) <= 0) return {};
    char chunk[256];
    ssize_t n = ::recv(socket_->fd.get(), chunk, sizeof chunk, 0);
    if (n <= 0) return {};
    buffer_.append(chunk, static_cast<size_t>(n));
  }
  return {};
}
