// Debug server sockets on POSIX: poll() on the socket and a wake-up pipe.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "debug_socket.h"
#include "os/unique_fd_posix.h"

namespace standin::engine {
namespace {

using Velotrax::os::UniqueFd;

std::string lastError() {
  return std::strerror(errno);
}

// Waits until fd is ready for `events` (POLLIN or POLLOUT); false when the wake pipe fired or
// on error.
bool waitReady(int fd, short events, int wakeFd) {
  pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
  while (true) {
    int n = ::poll(fds, 2, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || (fds[1].revents & POLLIN)) return false;
    if (fds[0].revents) return true;
  }
}

class PosixClient : public ClientSocket {
 public:
  PosixClient(UniqueFd fd, int wakeFd) : fd_(std::move(fd)), wakeFd_(wakeFd) {}

  size_t receive(char* buffer, size_t size) override {
    if (!waitReady(fd_.get(), POLLIN, wakeFd_)) return 0;
    const ssize_t n = ::recv(fd_.get(), buffer, size, 0);
    return n > 0 ? static_cast<size_t>(n) : 0;
  }

  // Never blocks in send: a client that stops reading must not keep stop() from returning.
  bool writeAll(const std::string& text) override {
    size_t done = 0;
    while (done < text.size()) {
      ssize_t n =
          ::send(fd_.get(), text.data() + done, text.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (!waitReady(fd_.get(), POLLOUT, wakeFd_)) return false;
      } else if (n == 0 || errno != EINTR) {
        return false;
      }
    }
    return true;
  }

 private:
  UniqueFd fd_;
  int wakeFd_;
};

class PosixListen : public ListenSocket {
 public:
  PosixListen(UniqueFd fd, UniqueFd wakeRead, UniqueFd wakeWrite, int port)
      : fd_(std::move(fd)),
        wakeRead_(std::move(wakeRead)),
        wakeWrite_(std::move(wakeWrite)),
        port_(port) {}

  int port() const override { return port_; }

  std::unique_ptr<ClientSocket> accept() override {
    while (waitReady(fd_.get(), POLLIN, wakeRead_.get())) {
      UniqueFd client(::accept(fd_.get(), nullptr, nullptr));
      if (client.get() >= 0)
        return std::make_unique<PosixClient>(std::move(client), wakeRead_.get());
      if (errno != EINTR && errno != ECONNABORTED) return nullptr;
    }
    return nullptr;
  }

  void wake() override {
    char byte = 1;
    while (::write(wakeWrite_.get(), &byte, 1) < 0 && errno == EINTR) {
    }
  }

 private:
  UniqueFd fd_, wakeRead_, wakeWrite_;
  int port_;
};

}  // namespace

std::unique_ptr<ListenSocket> ListenSocket::open(int port, std::string& error) {
  UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (fd.get() < 0) return error = lastError(), nullptr;
  int yes = 1;
  ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(fd.get(), 4) != 0)
    return error = lastError(), nullptr;
  socklen_t len = sizeof addr;
  ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&addr), &len);
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return error = lastError(), nullptr;
  return std::make_unique<PosixListen>(std::move(fd), UniqueFd(pipeFds[0]), UniqueFd(pipeFds[1]),
                                       ntohs(addr.sin_port));
}

}  // namespace standin::engine
