// Watches a list of directories for changes.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace boost::asio {
class io_context;
}

namespace Velotrax {

// Who hears what while a watch goes on; both optional.
struct WatchCallbacks {
  // Whether the console hears each directory added, the start of the watch and why a directory
  // was skipped.
  bool verbose = false;
  // Every directory that can be watched is watched now; `all` is false when some could not be.
  std::function<void(bool all)> watching;
  // A change of `path` (a directory's entry; the directory itself, or empty, when it is not
  // known which). True to go on watching; without this callback the first change ends the
  // watch. Runs on the watching thread, before the watch is taken down, which can take
  // milliseconds (the kernel lets go of a watch only after a grace period).
  std::function<bool(const std::string& path)> changed;
};

// Ends a watch from another thread, also one that has not begun yet.
class WatchStop {
 public:
  void request();

 private:
  friend void watchDirectories(const std::vector<std::string>&, const WatchCallbacks&, WatchStop*);
  bool attach(boost::asio::io_context& context);  // false when a stop was requested already
  void detach();

  std::mutex mutex_;
  bool requested_ = false;
  boost::asio::io_context* context_ = nullptr;
};

// Watches the directories, each name once, until the first change in any of them (or for as long
// as `callbacks.changed` asks), or until `stop` is requested. A directory that cannot be watched
// is reported and skipped; when none can be, the watch goes on until it is stopped. Errors of the
// monitor itself are thrown.
void watchDirectories(const std::vector<std::string>& directories,
                      const WatchCallbacks& callbacks = {}, WatchStop* stop = nullptr);

}  // namespace Velotrax
