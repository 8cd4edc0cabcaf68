#include "watch_state.h"

#include <stdexcept>
#include <string>

#include "os/event.h"
#include "watcher.h"

namespace Velotrax {

namespace {

std::unique_ptr<os::Event> newEvent() {
  os::OsResult<os::Event> event = os::Event::create();
  if (!event)
    throw std::runtime_error("CreateEvent error: " + std::to_string(event.failure().code) + "\n");
  return std::make_unique<os::Event>(std::move(*event));
}

}  // namespace

WatchState::WatchState() = default;
WatchState::~WatchState() {
  stopWatcher();
}

void WatchState::stopWatcher() {
  if (watcher) watcher->stop();
  watcher.reset();
}

WatchState::Value WatchState::value() {
  std::lock_guard<std::mutex> hold(mutex_);
  return value_;
}

void WatchState::beginPass() {
  auto fresh = newEvent();
  std::lock_guard<std::mutex> hold(mutex_);
  value_ = nothingSeen;
  event_ = std::move(fresh);
}

void WatchState::closeEvent() {
  std::lock_guard<std::mutex> hold(mutex_);
  event_.reset();
}

void WatchState::ensureEvent() {
  if (event_) return;
  auto fresh = newEvent();
  std::lock_guard<std::mutex> hold(mutex_);
  event_ = std::move(fresh);
}

void WatchState::markChange() {
  std::lock_guard<std::mutex> hold(mutex_);
  value_ = changeSeen;
  if (event_) event_->signal();
}

void WatchState::markFailed() {
  std::lock_guard<std::mutex> hold(mutex_);
  value_ = watchFailed;
}

}  // namespace Velotrax
