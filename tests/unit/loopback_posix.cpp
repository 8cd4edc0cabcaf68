#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "loopback.h"
#include "os/unique_fd_posix.h"

namespace {

using Velotrax::os::UniqueFd;

UniqueFd newSocket() {
  return UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
}

sockaddr_in loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

int freeLoopbackPort() {
  const UniqueFd socket = newSocket();
  sockaddr_in address = loopback(0);
  socklen_t length = sizeof address;
  if (::bind(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return -1;
  return ntohs(address.sin_port);
}

std::string firstLineFrom(int port) {
  const UniqueFd socket = newSocket();
  const sockaddr_in address = loopback(port);
  if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    return {};
  std::string line;
  pollfd ready{socket.get(), POLLIN, 0};
  char c;
  while (::poll(&ready, 1, 2000) == 1 && ::read(socket.get(), &c, 1) == 1 && c != '\n')
    line.push_back(c);
  return line;
}
