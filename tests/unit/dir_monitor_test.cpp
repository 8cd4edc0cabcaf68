// The directory monitor against real directories. Built with GoogleTest on Linux and with the
// small in-tree framework for Windows, where it runs under Wine.
#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <boost/asio/error.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/system/system_error.hpp>

#include "temp_directory.h"
#include "test_framework.h"
#include "watch/dir_monitor.h"

namespace Velotrax {
namespace {

// Long enough for a loaded machine; an event that comes at all comes in microseconds.
constexpr std::chrono::seconds kPatience{10};
// For "nothing happens": the time a change would have had to show up.
constexpr std::chrono::milliseconds kQuietTime{300};

struct Waited {
  bool arrived = false;
  boost::system::error_code error;
  ChangeEvent event;
};

class MonitorTest : public testing::Test {
 protected:
  // The next event, or arrived == false when none came within `patience`. A wait given up on
  // stays pending and is the one continued next time: a second wait would queue behind it.
  Waited next(std::chrono::milliseconds patience = kPatience) {
    if (!pending_) {
      pending_ = std::make_shared<Waited>();
      monitor_->waitForChange(
          [waited = pending_](const boost::system::error_code& error, const ChangeEvent& event) {
            *waited = {true, error, event};
          });
    }
    context_.restart();
    context_.run_one_for(patience);
    const Waited result = *pending_;
    if (result.arrived) pending_.reset();
    return result;
  }

  // Takes events until one for `path` of `kind` arrives; false when it does not.
  bool seen(const std::string& path, ChangeKind kind) {
    for (;;) {
      const Waited waited = next();
      if (!waited.arrived || waited.error) return false;
      if (waited.event.path == path && waited.event.kind == kind) return true;
    }
  }

  TempDirectory directory_;
  std::shared_ptr<Waited> pending_;
  boost::asio::io_context context_;
  std::unique_ptr<DirectoryMonitor> monitor_ = std::make_unique<DirectoryMonitor>(context_);
};

TEST_F(MonitorTest, ReportsEachKindOfChangeWithItsPath) {
  monitor_->add_directory(directory_.name());
  writeFile(directory_ / "a.txt");
  EXPECT_TRUE(seen(directory_ / "a.txt", ChangeKind::added));
  writeFile(directory_ / "a.txt", "more");
  EXPECT_TRUE(seen(directory_ / "a.txt", ChangeKind::modified));
  boost::filesystem::rename(directory_ / "a.txt", directory_ / "b.txt");
  EXPECT_TRUE(seen(directory_ / "a.txt", ChangeKind::renameOld));
  EXPECT_TRUE(seen(directory_ / "b.txt", ChangeKind::renameNew));
  boost::filesystem::remove(directory_ / "b.txt");
  EXPECT_TRUE(seen(directory_ / "b.txt", ChangeKind::removed));
}

TEST_F(MonitorTest, WatchesTheDirectorysOwnEntriesOnly) {
  boost::filesystem::create_directory(directory_ / "sub");
  monitor_->add_directory(directory_.name());
  writeFile(directory_ / "sub/inner.txt");
  writeFile(directory_ / "marker");
  // Everything up to the marker: the subdirectory's entry may change, nothing inside it shows.
  for (;;) {
    const Waited waited = next();
    ASSERT_TRUE(waited.arrived && !waited.error);
    EXPECT_TRUE(waited.event.path.find("inner.txt") == std::string::npos);
    if (waited.event.path == directory_ / "marker") break;
  }
}

TEST_F(MonitorTest, NameGivenTwiceIsWatchedOnceAndKeepsWorking) {
  monitor_->add_directory(directory_.name());
  monitor_->add_directory(directory_.name());
  writeFile(directory_ / "once");
  const Waited first = next();
  ASSERT_TRUE(first.arrived);
  EXPECT_FALSE(first.error);
  EXPECT_EQ(first.event.path, directory_ / "once");
  EXPECT_TRUE(first.event.kind == ChangeKind::added);
  // One name, one report of each change: the next event is about the next file.
  boost::filesystem::create_directory(directory_ / "twice");
  for (;;) {
    const Waited waited = next();
    ASSERT_TRUE(waited.arrived && !waited.error);
    EXPECT_FALSE(waited.event.path == directory_ / "once" &&
                 waited.event.kind == ChangeKind::added);
    if (waited.event.path == directory_ / "twice") break;
  }
}

TEST_F(MonitorTest, SeveralDirectoriesEachReport) {
  TempDirectory other;
  monitor_->add_directory(directory_.name());
  monitor_->add_directory(other.name());
  writeFile(other / "there");
  EXPECT_TRUE(seen(other / "there", ChangeKind::added));
  writeFile(directory_ / "here");
  EXPECT_TRUE(seen(directory_ / "here", ChangeKind::added));
}

TEST_F(MonitorTest, RefusesWhatIsNoDirectory) {
  writeFile(directory_ / "file");
  for (const std::string& name : {directory_ / "file", directory_ / "missing"}) {
    try {
      monitor_->add_directory(name);
      ADD_FAILURE();
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(std::string(error.what()),
                "boost::asio::basic_dir_monitor_service::add_directory: " + name +
                    " is not a valid directory entry");
    }
  }
}

TEST_F(MonitorTest, DestroyingTheMonitorAbortsItsWait) {
  monitor_->add_directory(directory_.name());
  auto waited = std::make_shared<Waited>();
  monitor_->waitForChange([waited](const boost::system::error_code& error, const ChangeEvent&) {
    *waited = {true, error, {}};
  });
  monitor_.reset();
  context_.run_one_for(kPatience);
  EXPECT_TRUE(waited->arrived);
  EXPECT_TRUE(waited->error == boost::asio::error::operation_aborted);
}

TEST_F(MonitorTest, NothingIsReportedWithoutAChange) {
  monitor_->add_directory(directory_.name());
  EXPECT_FALSE(next(kQuietTime).arrived);
}

// A burst far beyond what one read holds: whatever is lost is reported as an overflow, and the
// directory is still read afterwards.
TEST_F(MonitorTest, BurstLeavesTheDirectoryWatched) {
  monitor_->add_directory(directory_.name());
  constexpr int kBurst = 3000;
  for (int i = 0; i < kBurst; ++i)
    writeFile(directory_ / ("burst-file-with-a-rather-long-name-" + std::to_string(i)));
  int events = 0, overflows = 0;
  for (Waited waited = next(); waited.arrived; waited = next(kQuietTime)) {
    ASSERT_FALSE(waited.error);
    ++events;
    if (waited.event.kind == ChangeKind::overflow) ++overflows;
  }
  EXPECT_GT(events, 0);
  std::printf("burst of %d files: %d events, %d overflows\n", kBurst, events, overflows);
  writeFile(directory_ / "after-the-burst");
  EXPECT_TRUE(seen(directory_ / "after-the-burst", ChangeKind::added));
}

}  // namespace
}  // namespace Velotrax
