// Debug server sockets on Windows: Winsock event objects, waited on together
// with a manual-reset wake-up event.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>

#include "debug_socket.h"

namespace standin::engine {
namespace {

// Owns one socket.
class SocketHandle {
 public:
  explicit SocketHandle(SOCKET s = INVALID_SOCKET) : s_(s) {}
  SocketHandle(SocketHandle&& o) noexcept : s_(o.s_) { o.s_ = INVALID_SOCKET; }
  SocketHandle& operator=(SocketHandle&& o) noexcept {
    if (this != &o) {
      reset();
      s_ = o.s_;
      o.s_ = INVALID_SOCKET;
    }
    return *this;
  }
  SocketHandle(const SocketHandle&) = delete;
  SocketHandle& operator=(const SocketHandle&) = delete;
  ~SocketHandle() { reset(); }
  SOCKET get() const { return s_; }
  void reset() {
    if (s_ != INVALID_SOCKET) ::closesocket(s_);
    s_ = INVALID_SOCKET;
  }

 private:
  SOCKET s_;
};

// Owns one Winsock event object.
class EventHandle {
 public:
  EventHandle() : e_(::WSACreateEvent()) {}
  EventHandle(EventHandle&& o) noexcept : e_(o.e_) { o.e_ = WSA_INVALID_EVENT; }
  EventHandle(const EventHandle&) = delete;
  EventHandle& operator=(const EventHandle&) = delete;
  EventHandle& operator=(EventHandle&&) = delete;
  ~EventHandle() {
    if (e_ != WSA_INVALID_EVENT) ::WSACloseEvent(e_);
  }
  WSAEVENT get() const { return e_; }
  bool valid() const { return e_ != WSA_INVALID_EVENT; }

 private:
  WSAEVENT e_;
};

std::string lastError() {
  int code = ::WSAGetLastError();
  char* text = nullptr;
  ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string message = text ? text : "error " + std::to_string(code);
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  return message;
}

bool startWinsock() {
  static bool ok = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ok;
}

// Waits for the socket's event or the wake event; false when woken or on error.
bool waitFor(WSAEVENT socketEvent, WSAEVENT wakeEvent) {
  WSAEVENT events[2] = {socketEvent, wakeEvent};
  DWORD r = ::WSAWaitForMultipleEvents(2, events, FALSE, WSA_INFINITE, FALSE);
  if (r != WSA_WAIT_EVENT_0) return false;
  ::WSAResetEvent(socketEvent);
  return true;
}

class Win32Client : public ClientSocket {
 public:
  Win32Client(SocketHandle s, WSAEVENT wakeEvent) : s_(std::move(s)), wake_(wakeEvent) {
    ::WSAEventSelect(s_.get(), event_.get(), FD_READ | FD_WRITE | FD_CLOSE);
  }

  size_t receive(char* buffer, size_t size) override {
    while (true) {
      const int n = ::recv(s_.get(), buffer, static_cast<int>(size), 0);
      if (n > 0) return static_cast<size_t>(n);
      if (n == 0 || ::WSAGetLastError() != WSAEWOULDBLOCK) return 0;
      if (!waitFor(event_.get(), wake_)) return 0;
    }
  }

  bool writeAll(const std::string& text) override {
    size_t done = 0;
    while (done < text.size()) {
      int n = ::send(s_.get(), text.data() + done, static_cast<int>(text.size() - done), 0);
      if (n > 0) {
        done += static_cast<size_t>(n);
        continue;
      }
      if (::WSAGetLastError() != WSAEWOULDBLOCK || !waitFor(event_.get(), wake_)) return false;
    }
    return true;
  }

 private:
  SocketHandle s_;
  EventHandle event_;
  WSAEVENT wake_;
};

class Win32Listen : public ListenSocket {
 public:
  Win32Listen(SocketHandle s, int port) : s_(std::move(s)), port_(port) {
    ::WSAEventSelect(s_.get(), acceptEvent_.get(), FD_ACCEPT);
  }

  int port() const override { return port_; }

  std::unique_ptr<ClientSocket> accept() override {
    while (true) {
      SocketHandle client(::accept(s_.get(), nullptr, nullptr));
      if (client.get() != INVALID_SOCKET)
        return std::make_unique<Win32Client>(std::move(client), wake_.get());
      if (::WSAGetLastError() != WSAEWOULDBLOCK || !waitFor(acceptEvent_.get(), wake_.get()))
        return nullptr;
    }
  }

  void wake() override { ::WSASetEvent(wake_.get()); }

 private:
  SocketHandle s_;
  EventHandle acceptEvent_;
  EventHandle wake_;
  int port_;
};

}  // namespace

std::unique_ptr<ListenSocket> ListenSocket::open(int port, std::string& error) {
  if (!startWinsock()) return error = "Winsock could not be started", nullptr;
  SocketHandle s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (s.get() == INVALID_SOCKET) return error = lastError(), nullptr;
  BOOL exclusive = TRUE;
  ::setsockopt(s.get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<u_short>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(s.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(s.get(), 4) != 0)
    return error = lastError(), nullptr;
  int len = sizeof addr;
  ::getsockname(s.get(), reinterpret_cast<sockaddr*>(&addr), &len);
  return std::make_unique<Win32Listen>(std::move(s), ntohs(addr.sin_port));
}

}  // namespace standin::engine
