#include "watch_state.h"

#include "os/event.h"
#include "watcher.h"

namespace Velotrax {

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
  auto fresh = std::make_unique<os::Event>();
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
  auto fresh = std::make_unique<os::Event>();
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
