#include <poll.h>
#include <sys/eventfd.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "event_native_posix.h"

namespace Velotrax::os {

Event::Event() : native_(std::make_unique<Native>()) {
  native_->fd = UniqueFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!native_->fd) throw std::runtime_error("CreateEvent error: " + std::to_string(errno) + "\n");
}

Event::~Event() = default;

void Event::signal() {
  const std::uint64_t one = 1;
  // Only a full counter refuses the write, and a full counter is signalled anyway.
  [[maybe_unused]] const ssize_t written = ::write(native_->fd.get(), &one, sizeof one);
}

bool Event::wait(std::chrono::milliseconds timeout) {
  pollfd ready{native_->fd.get(), POLLIN, 0};
  if (::poll(&ready, 1, static_cast<int>(timeout.count())) != 1) return false;
  native_->consume();
  return true;
}

void Event::Native::consume() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t taken = ::read(fd.get(), &count, sizeof count);
}

}  // namespace Velotrax::os
