// The monitor's Linux side: one inotify descriptor per service, one watch per directory and one
// per subdirectory in it, and an eventfd that wakes the work thread at once when the service
// stops.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include <boost/filesystem/operations.hpp>
#include <boost/filesystem/path.hpp>
#include <boost/system/system_error.hpp>

#include "dir_monitor_impl.h"
#include "dir_monitor_port.h"
#include "os/unique_fd_posix.h"

namespace Velotrax {

namespace {

constexpr const char* kPrefix = "boost::asio::basic_dir_monitor_service::";

// IN_ACCESS is left out on purpose: every read of a script would count as a change, and a run
// would trigger the next run forever.
constexpr std::uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MODIFY | IN_ATTRIB |
                                     IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                                     IN_MOVE_SELF | IN_ONLYDIR;

// A subdirectory is watched for its entries only: a file created, deleted or renamed in it
// changes the subdirectory's own entry, as the system reports it on Windows. Added to what the
// directory may already be watched for under another name.
constexpr std::uint32_t kSubdirectoryMask =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR | IN_MASK_ADD;

// Room for a few hundred events per read, so a burst costs few system calls.
constexpr size_t kReadBufferSize = 64 * 1024;

[[noreturn]] void fail(const char* where) {
  throw boost::system::system_error(errno, boost::system::system_category(),
                                    std::string(kPrefix) + where);
}

ChangeKind kindOf(std::uint32_t mask) {
  if (mask & IN_CREATE) return ChangeKind::added;
  if (mask & (IN_DELETE | IN_DELETE_SELF)) return ChangeKind::removed;
  if (mask & (IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE)) return ChangeKind::modified;
  if (mask & (IN_MOVED_FROM | IN_MOVE_SELF)) return ChangeKind::renameOld;
  if (mask & IN_MOVED_TO) return ChangeKind::renameNew;
  return ChangeKind::none;
}

class InotifyPort;

// One directory name of one monitor, with its subdirectories. Names that reach the same directory
// share its watch descriptor (inotify gives one per directory), which goes when the last of them
// goes.
class InotifyWatch final : public directory_handle {
 public:
  explicit InotifyWatch(std::shared_ptr<InotifyPort> port) : port_(std::move(port)) {}
  ~InotifyWatch() override;

 private:
  std::shared_ptr<InotifyPort> port_;
};

class InotifyPort final : public dir_monitor_port,
                          public std::enable_shared_from_this<InotifyPort> {
 public:
  InotifyPort()
      : inotify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
        wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
        buffer_(kReadBufferSize) {
    if (!inotify_) fail("init_inotify: inotify_init1 failed");
    if (!wake_) fail("init_inotify: eventfd failed");
  }

  void add_directory(const std::shared_ptr<dir_monitor_impl>& impl,
                     const std::string& name) override {
    std::unique_ptr<InotifyWatch> watch;
    {
      std::lock_guard<std::mutex> hold(table_mutex_);
      const int descriptor = inotify_add_watch(inotify_.get(), name.c_str(), kWatchMask);
      if (descriptor < 0) fail("add_directory: inotify_add_watch failed");
      watch = std::make_unique<InotifyWatch>(shared_from_this());
      table_.emplace(descriptor, Entry{name, impl, watch.get(), false});
      boost::system::error_code error;
      for (boost::filesystem::directory_iterator it(name, error), end; !error && it != end;
           it.increment(error))
        if (it->symlink_status(error).type() == boost::filesystem::directory_file)
          watchSubdirectory(it->path().string(), impl, watch.get());
    }
    impl->directories.insert(name, std::move(watch));
  }

  void work_step() override {
    pollfd ready[2] = {{wake_.get(), POLLIN, 0}, {inotify_.get(), POLLIN, 0}};
    // After a failure of the inotify descriptor only the wake-up is awaited, so a lasting
    // failure is reported once instead of in a busy loop.
    if (::poll(ready, broken_ ? 1 : 2, -1) < 0) {
      if (errno == EINTR) return;
      broken_ = true;
      fail("work_thread: poll failed");
    }
    if (ready[0].revents & POLLIN) {
      std::uint64_t count = 0;
      [[maybe_unused]] const ssize_t taken = ::read(wake_.get(), &count, sizeof count);
      return;  // the loop looks at its run flag
    }
    if (!(ready[1].revents & POLLIN)) return;
    const ssize_t length = ::read(inotify_.get(), buffer_.data(), buffer_.size());
    if (length < 0) {
      if (errno == EINTR || errno == EAGAIN) return;
      broken_ = true;
      fail("work_thread: read failed");
    }
    deliver(collect(static_cast<size_t>(length)));
  }

  void wake() override {
    const std::uint64_t one = 1;
    if (::write(wake_.get(), &one, sizeof one) < 0 && errno != EAGAIN)
      fail("stop_work_thread: write failed");
  }

  // Forgets one name's entries, its subdirectories' too; a watch goes with the last entry on it.
  void remove(const InotifyWatch* watch) {
    std::lock_guard<std::mutex> hold(table_mutex_);
    std::vector<int> emptied;
    for (auto it = table_.begin(); it != table_.end();) {
      if (it->second.watch != watch) {
        ++it;
        continue;
      }
      const int descriptor = it->first;
      it = table_.erase(it);
      if (!table_.count(descriptor)) emptied.push_back(descriptor);
    }
    // Entries the kernel dropped already (their directory went away) are not in the table.
    for (int descriptor : emptied) inotify_rm_watch(inotify_.get(), descriptor);
  }

 private:
  struct Entry {
    std::string name;  // the watched directory, or for a subdirectory its path as reported
    std::weak_ptr<dir_monitor_impl> owner;
    const InotifyWatch* watch;
    bool subdirectory;
  };

  // Watches `path`, a subdirectory of a watched directory, for changes of its entries. Best
  // effort: one that cannot be watched only narrows the watch. Under the table lock.
  void watchSubdirectory(const std::string& path, const std::weak_ptr<dir_monitor_impl>& owner,
                         const InotifyWatch* watch) {
    const int descriptor = inotify_add_watch(inotify_.get(), path.c_str(), kSubdirectoryMask);
    if (descriptor >= 0) table_.emplace(descriptor, Entry{path, owner, watch, true});
  }
  using Delivery = std::vector<std::pair<std::weak_ptr<dir_monitor_impl>, ChangeEvent>>;

  // Turns the records just read into events for their monitors, under the table lock.
  Delivery collect(size_t length) {
    Delivery delivery;
    std::lock_guard<std::mutex> hold(table_mutex_);
    for (size_t offset = 0; offset + sizeof(inotify_event) <= length;) {
      const auto* record = reinterpret_cast<const inotify_event*>(buffer_.data() + offset);
      offset += sizeof(inotify_event) + record->len;
      if (offset > length) break;  // never read past what arrived
      if (record->mask & IN_Q_OVERFLOW) {
        // The kernel's queue overflowed: which directory changed is lost, so each counts as
        // changed, and every watch keeps reading.
        for (const auto& [descriptor, entry] : table_)
          if (!entry.subdirectory)
            delivery.push_back({entry.owner, {entry.name, ChangeKind::overflow}});
        continue;
      }
      auto [first, end] = table_.equal_range(record->wd);
      if (record->mask & IN_IGNORED) {  // the watch is gone: its directory went away
        table_.erase(first, end);
        continue;
      }
      const ChangeKind kind = kindOf(record->mask);
      const bool named = record->len && record->name[0];
      std::vector<Entry> added;
      for (auto it = first; it != end; ++it) {
        const Entry& entry = it->second;
        if (entry.subdirectory) {
          // An entry of the subdirectory came, went or was renamed: the subdirectory changed.
          if (named && (record->mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO)))
            delivery.push_back({entry.owner, {entry.name, ChangeKind::modified}});
          continue;
        }
        // A record about the directory itself has no name.
        const std::string path =
            named ? (boost::filesystem::path(entry.name) / record->name).string() : entry.name;
        delivery.push_back({entry.owner, {path, kind}});
        if (named && (record->mask & IN_ISDIR) && (record->mask & (IN_CREATE | IN_MOVED_TO)))
          added.push_back({path, entry.owner, entry.watch, true});
      }
      // A subdirectory that came later is watched from now on, one level down only.
      for (const Entry& entry : added) watchSubdirectory(entry.name, entry.owner, entry.watch);
    }
    return delivery;
  }

  // Queues the events outside the table lock: a monitor released here may remove its watches.
  static void deliver(Delivery delivery) {
    for (auto& [owner, event] : delivery)
      if (const std::shared_ptr<dir_monitor_impl> monitor = owner.lock())
        monitor->queueEvent(std::move(event));
  }

  os::UniqueFd inotify_;
  os::UniqueFd wake_;
  std::vector<char> buffer_;  // work thread only
  bool broken_ = false;       // work thread only
  std::mutex table_mutex_;
  std::multimap<int, Entry> table_;  // watch descriptor to the names on it
};

InotifyWatch::~InotifyWatch() {
  port_->remove(this);
}

}  // namespace

std::shared_ptr<dir_monitor_port> dir_monitor_port::create() {
  return std::make_shared<InotifyPort>();
}

}  // namespace Velotrax
