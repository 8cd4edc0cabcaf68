#include "dir_monitor_service.h"

#include <stdexcept>
#include <utility>

#include <boost/asio/error.hpp>
#include <boost/asio/post.hpp>
#include <boost/filesystem/operations.hpp>

#include "dir_monitor_impl.h"

namespace Velotrax {

boost::asio::io_context::id basic_dir_monitor_service::id;

basic_dir_monitor_service::basic_dir_monitor_service(boost::asio::io_context& owner)
    : boost::asio::io_context::service(owner), owner_(owner), port_(dir_monitor_port::create()) {
  // A thread that cannot be started leaves none behind: a joinable thread must not be destroyed.
  try {
    work_thread_ = boost::thread([this] { work_thread(); });
    monitor_work_.emplace(monitor_context_.get_executor());
    monitor_thread_ = boost::thread([this] { monitor_context_.run(); });
  } catch (...) {
    shutdown();
    throw;
  }
}

basic_dir_monitor_service::~basic_dir_monitor_service() {
  shutdown();
}

void basic_dir_monitor_service::add_directory(const std::shared_ptr<dir_monitor_impl>& impl,
                                              const std::string& name) {
  if (!boost::filesystem::is_directory(name))
    throw std::invalid_argument("boost::asio::basic_dir_monitor_service::add_directory: " + name +
                                " is not a valid directory entry");
  // A name given twice is watched once: on Windows a second handle would be closed under its
  // own read; on Linux inotify hands back the same watch, which a second entry would remove.
  if (impl->directories.count(name)) return;
  port_->add_directory(impl, name);
}

void basic_dir_monitor_service::async_wait(std::weak_ptr<dir_monitor_impl> impl,
                                           ChangeHandler handler) {
  boost::asio::post(
      monitor_context_, [this, impl = std::move(impl), work = boost::asio::make_work_guard(owner_),
                         handler = std::move(handler)]() mutable {
        std::pair<boost::system::error_code, ChangeEvent> result{
            boost::asio::error::operation_aborted, ChangeEvent{}};
        if (const std::shared_ptr<dir_monitor_impl> monitor = impl.lock())
          result = monitor->takeNextEvent();
        boost::asio::post(owner_, [handler = std::move(handler), result = std::move(result)] {
          handler(result.first, result.second);
        });
        work.reset();
      });
}

void basic_dir_monitor_service::shutdown() {
  monitor_work_.reset();
  monitor_context_.stop();
  if (monitor_thread_.joinable()) monitor_thread_.join();
  if (!work_thread_.joinable()) return;
  try {
    stop_work_thread();
    work_thread_.join();
  } catch (const std::exception&) {
    // The port refused the wake-up: the thread can never be joined, so it is let go.
    work_thread_.detach();
  }
}

void basic_dir_monitor_service::work_thread() {
  for (;;) {
    {
      boost::lock_guard<boost::mutex> hold(work_thread_mutex_);
      if (!work_thread_running_) return;
    }
    try {
      port_->work_step();
    } catch (...) {
      // Handed to whoever runs the owning context; the thread goes on reading.
      last_work_thread_exception_ = std::current_exception();
      boost::asio::post(
          owner_, [failure = last_work_thread_exception_] { std::rethrow_exception(failure); });
    }
  }
}

void basic_dir_monitor_service::stop_work_thread() {
  boost::lock_guard<boost::mutex> hold(work_thread_mutex_);
  work_thread_running_ = false;
  port_->wake();
}

}  // namespace Velotrax
