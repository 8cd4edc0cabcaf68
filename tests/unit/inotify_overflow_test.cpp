// The kernel's event queue overflowing: reproduced by starving the monitor's reader while one
// thread creates more entries than the queue holds.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/filesystem.hpp>

#include "temp_directory.h"
#include "watch/dir_monitor.h"

namespace Velotrax {
namespace {

// Far more than the kernel's default queue of 16384 events, as the starved reader still gets a
// small share of the processor.
constexpr int kEntries = 60000;

std::vector<pid_t> otherThreads() {
  std::vector<pid_t> threads;
  const pid_t self = static_cast<pid_t>(::syscall(SYS_gettid));
  for (boost::filesystem::directory_iterator it("/proc/self/task"), end; it != end; ++it) {
    const pid_t thread = std::stoi(it->path().filename().string());
    if (thread != self) threads.push_back(thread);
  }
  return threads;
}

// Puts every thread on one processor and the others at idle priority, so they run only when
// this one leaves the processor; undone at the end of the scope.
class Starvation {
 public:
  Starvation() {
    CPU_ZERO(&one_);
    CPU_SET(sched_getcpu(), &one_);
    sched_getaffinity(0, sizeof all_, &all_);
    sched_setaffinity(0, sizeof one_, &one_);
    const sched_param none{};
    for (pid_t thread : otherThreads()) {
      sched_setaffinity(thread, sizeof one_, &one_);
      if (sched_setscheduler(thread, SCHED_IDLE, &none) == 0) starved_.push_back(thread);
    }
  }
  ~Starvation() {
    const sched_param none{};
    for (pid_t thread : starved_) {
      sched_setscheduler(thread, SCHED_OTHER, &none);
      sched_setaffinity(thread, sizeof all_, &all_);
    }
    sched_setaffinity(0, sizeof all_, &all_);
  }
  bool active() const { return !starved_.empty(); }

 private:
  cpu_set_t one_, all_;
  std::vector<pid_t> starved_;
};

TEST(InotifyOverflow, IsReportedAndTheDirectoryStaysWatched) {
  // In memory, where creating an entry never waits for a disk and so never lets the reader run.
  const std::string base = boost::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "";
  TempDirectory directory(base);
  boost::asio::io_context context;
  DirectoryMonitor monitor(context);
  monitor.add_directory(directory.name());
  {
    const Starvation starvation;
    ASSERT_TRUE(starvation.active());
    for (int i = 0; i < kEntries; ++i)
      ::mkdir((directory / ("d" + std::to_string(i))).c_str(), 0700);
  }
  // Take events until the overflow, then until an entry made afterwards shows up. A wait that
  // saw nothing stays pending and is continued.
  bool overflow = false, after = false;
  const std::string marker = directory / "after";
  auto pending = std::make_shared<std::optional<ChangeEvent>>();
  for (int quiet = 0; !after && quiet < 50;) {
    if (!pending->has_value() && pending.use_count() == 1) {
      monitor.waitForChange([pending](const boost::system::error_code&, const ChangeEvent& event) {
        *pending = event;
      });
    }
    context.restart();
    context.run_one_for(std::chrono::milliseconds(200));
    if (!pending->has_value()) {
      ++quiet;
      if (overflow) std::ofstream(marker) << "x";
      continue;
    }
    const ChangeEvent event = **pending;
    pending = std::make_shared<std::optional<ChangeEvent>>();
    if (event.kind == ChangeKind::overflow) {
      EXPECT_EQ(event.path, directory.name());
      overflow = true;
    }
    after = overflow && event.path == marker;
  }
  EXPECT_TRUE(overflow);
  EXPECT_TRUE(after);
}

}  // namespace
}  // namespace Velotrax
