// The Asio service behind DirectoryMonitor: one per io_context, owning the system port, the work
// thread that reads it, and a private context whose thread carries out the waits.
#pragma once

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>

#include "dir_monitor.h"
#include "dir_monitor_port.h"

namespace Velotrax {

class basic_dir_monitor_service : public boost::asio::io_context::service {
 public:
  static boost::asio::io_context::id id;

  explicit basic_dir_monitor_service(boost::asio::io_context& owner);
  ~basic_dir_monitor_service() override;

  void add_directory(const std::shared_ptr<dir_monitor_impl>& impl, const std::string& name);
  // Posts one wait to the monitor context; the handler is posted to the owning context.
  void async_wait(std::weak_ptr<dir_monitor_impl> impl, ChangeHandler handler);

 private:
  using WorkGuard = boost::asio::executor_work_guard<boost::asio::io_context::executor_type>;

  // Ends both threads; called when the owning context is destroyed.
  void shutdown() override;
  void work_thread();
  void stop_work_thread();

  // In the order they start; the threads last, as they use everything before them.
  boost::asio::io_context& owner_;
  std::shared_ptr<dir_monitor_port> port_;
  boost::mutex work_thread_mutex_;
  bool work_thread_running_ = true;
  std::exception_ptr last_work_thread_exception_;
  boost::thread work_thread_;
  boost::asio::io_context monitor_context_;
  std::optional<WorkGuard> monitor_work_;
  boost::thread monitor_thread_;
};

}  // namespace Velotrax
