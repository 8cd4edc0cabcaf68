#include <poll.h>
#include <sys/eventfd.h>

#include <cstdint>

#include "event_native_posix.h"

namespace Velotrax::os {

OsResult<Event> Event::create() {
  UniqueFd fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!fd) return lastFailure("eventfd");
  return Event(std::make_unique<Native>(Native{std::move(fd)}));
}

Event::Event(std::unique_ptr<Native> native) : native_(std::move(native)) {}
Event::~Event() = default;
Event::Event(Event&& other) noexcept = default;
Event& Event::operator=(Event&& other) noexcept = default;

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
