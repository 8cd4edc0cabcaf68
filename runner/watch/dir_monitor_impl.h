// The state of one directory monitor, shared with the operations and directories that refer to
// it weakly.
#pragma once

#include <deque>
#include <string>
#include <utility>

#include <boost/ptr_container/ptr_map.hpp>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>

#include "dir_monitor.h"

namespace Velotrax {

// The system's hold on one watched directory (a directory handle, an inotify watch); released
// when destroyed.
class directory_handle {
 public:
  virtual ~directory_handle() = default;
};

class dir_monitor_impl {
 public:
  // Directory name as given to add_directory, to its handle. Used only by the monitor's owner.
  boost::ptr_map<std::string, directory_handle> directories;

  // Appends an event and wakes the waiters; dropped once the monitor is stopped. A queue nobody
  // empties ends in one overflow event instead of growing without bound.
  void queueEvent(ChangeEvent event);
  // Blocks until an event is queued or the monitor stops: the first event, or operation-aborted
  // and an empty event.
  std::pair<boost::system::error_code, ChangeEvent> takeNextEvent();
  // Clears the run flag and wakes all waiters.
  void stop();

 private:
  boost::mutex event_mutex_;
  boost::condition_variable event_condition_;
  bool run_ = true;
  std::deque<ChangeEvent> events_;
};

}  // namespace Velotrax
