#include "event_native_win32.h"

namespace Velotrax::os {

OsResult<Event> Event::create() {
  UniqueHandle handle(CreateEventW(NULL, FALSE, FALSE, NULL));
  if (!handle) return lastFailure("CreateEvent");
  return Event(std::make_unique<Native>(Native{std::move(handle)}));
}

Event::Event(std::unique_ptr<Native> native) : native_(std::move(native)) {}
Event::~Event() = default;
Event::Event(Event&& other) noexcept = default;
Event& Event::operator=(Event&& other) noexcept = default;

void Event::signal() {
  SetEvent(native_->handle.get());
}

bool Event::wait(std::chrono::milliseconds timeout) {
  HANDLE handle = native_->handle.get();
  return WaitForMultipleObjects(1, &handle, FALSE, static_cast<DWORD>(timeout.count())) ==
         WAIT_OBJECT_0;
}

}  // namespace Velotrax::os
