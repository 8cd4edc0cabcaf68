// The system side of the directory monitor service: an I/O completion port on Windows, an
// inotify descriptor with a wake-up eventfd on Linux.
#pragma once

#include <memory>
#include <string>

namespace Velotrax {

class dir_monitor_impl;

class dir_monitor_port {
 public:
  // Throws boost::system::system_error when the system refuses.
  static std::shared_ptr<dir_monitor_port> create();
  virtual ~dir_monitor_port() = default;

  // Watches the directory `name`, not yet in impl's directory map, for `impl` and enters it
  // there. Runs on the monitor owner's thread.
  virtual void add_directory(const std::shared_ptr<dir_monitor_impl>& impl,
                             const std::string& name) = 0;
  // Waits for the next completion and queues its events to the monitors they belong to. Runs on
  // the work thread only; returns after a wake().
  virtual void work_step() = 0;
  // Makes the pending work_step return at once.
  virtual void wake() = 0;
};

}  // namespace Velotrax
