#include "dir_monitor_impl.h"

#include <boost/asio/error.hpp>

namespace Velotrax {

namespace {
// Events waiting for a taker. One wait takes one event, so a long queue only means nobody is
// waiting; beyond this the rest is summed up as one overflow. Twice the kernel's default inotify
// queue, so what one full kernel queue delivers always fits.
constexpr size_t kMaxQueuedEvents = 32768;
}  // namespace

void dir_monitor_impl::queueEvent(ChangeEvent event) {
  {
    boost::lock_guard<boost::mutex> hold(event_mutex_);
    if (!run_) return;
    if (events_.size() < kMaxQueuedEvents) {
      events_.push_back(std::move(event));
    } else if (events_.back().kind != ChangeKind::overflow) {
      events_.push_back({std::string(), ChangeKind::overflow});
    }
  }
  event_condition_.notify_all();
}

std::pair<boost::system::error_code, ChangeEvent> dir_monitor_impl::takeNextEvent() {
  boost::unique_lock<boost::mutex> hold(event_mutex_);
  event_condition_.wait(hold, [this] { return !run_ || !events_.empty(); });
  if (!run_) return {boost::asio::error::operation_aborted, ChangeEvent{}};
  ChangeEvent event = std::move(events_.front());
  events_.pop_front();
  return {boost::system::error_code(), std::move(event)};
}

void dir_monitor_impl::stop() {
  {
    boost::lock_guard<boost::mutex> hold(event_mutex_);
    run_ = false;
  }
  event_condition_.notify_all();
}

}  // namespace Velotrax
