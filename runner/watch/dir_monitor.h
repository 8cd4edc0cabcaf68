// An asynchronous directory monitor in the style of a Boost.Asio I/O object: it reports changes
// to the entries of the directories it watches (no subtrees).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <boost/system/error_code.hpp>

namespace boost::asio {
class io_context;
}

namespace Velotrax {

// What happened to an entry. The values are the Windows action codes they come from.
enum class ChangeKind {
  none = 0,       // an action without a name of its own
  added = 1,      // entry created
  removed = 2,    // entry deleted
  modified = 3,   // contents or attributes changed
  renameOld = 4,  // old name of a rename
  renameNew = 5,  // new name of a rename
  overflow = 6,   // more changes than recorded: something changed in `path` (empty: anywhere)
};

struct ChangeEvent {
  std::string path;  // the directory name joined with the entry's name
  ChangeKind kind = ChangeKind::none;
};

// Called with success and the next change, or with operation-aborted and an empty event when the
// monitor is destroyed first.
using ChangeHandler = std::function<void(const boost::system::error_code&, const ChangeEvent&)>;

class basic_dir_monitor_service;
class dir_monitor_impl;

class DirectoryMonitor {
 public:
  // Uses the context's monitor service, creating it on first use.
  explicit DirectoryMonitor(boost::asio::io_context& context);
  // Ends pending waits with operation-aborted and stops watching.
  ~DirectoryMonitor();
  DirectoryMonitor(const DirectoryMonitor&) = delete;
  DirectoryMonitor& operator=(const DirectoryMonitor&) = delete;

  // Starts watching the directory `name`; a name already watched is left as it is. Throws
  // std::invalid_argument when `name` is no directory, boost::system::system_error when the
  // system refuses to watch it.
  void add_directory(const std::string& name);

  // Starts one wait and returns at once; `handler` runs later on a thread running the context,
  // whose run() does not return while the wait is pending.
  void waitForChange(ChangeHandler handler);

 private:
  basic_dir_monitor_service& service_;
  std::shared_ptr<dir_monitor_impl> impl_;
};

}  // namespace Velotrax
