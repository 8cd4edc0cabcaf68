#include <stdexcept>
#include <string>

#include "event_native_win32.h"

namespace Velotrax::os {

Event::Event() : native_(std::make_unique<Native>()) {
  native_->handle = UniqueHandle(CreateEventW(NULL, FALSE, FALSE, NULL));
  if (!native_->handle)
    throw std::runtime_error("CreateEvent error: " + std::to_string(GetLastError()) + "\n");
}

Event::~Event() = default;

void Event::signal() {
  SetEvent(native_->handle.get());
}

bool Event::wait(std::chrono::milliseconds timeout) {
  HANDLE handle = native_->handle.get();
  return WaitForMultipleObjects(1, &handle, FALSE, static_cast<DWORD>(timeout.count())) ==
         WAIT_OBJECT_0;
}

}  // namespace Velotrax::os
