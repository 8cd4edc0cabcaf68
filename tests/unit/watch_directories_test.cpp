// watchDirectories: its messages, its end, and the threads it leaves (none).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "common/run_settings.h"
#include "process_probe.h"
#include "temp_directory.h"
#include "watch/watch_directories.h"

namespace Velotrax {
namespace {

using namespace testing_support;

const std::string kHint =
    "This problem might e.g. occur if the network redirector or the target file system does not "
    "support file change notifications. In this case, try to copy the files to be watched to a "
    "local directory and try again.";

std::string skipped(const std::string& name) {
  return "could not add directory \"" + name +
         "\" to the list of watched directories. Watch Mode for this directory will be ignored. ";
}

// Watches on another thread, saving into `saveIn` until the watch returns.
struct Watch {
  std::string out, err;
  bool threw = false;
};
Watch watchUntilSaved(const std::vector<std::string>& directories, const std::string& saveIn,
                      bool verbose = false) {
  Watch watch;
  std::atomic<bool> done{false};
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  std::thread watcher([&] {
    try {
      watchDirectories(directories, {verbose, {}, {}});
    } catch (const std::exception&) {
      watch.threw = true;
    }
    done = true;
  });
  eventually([&] {
    if (!done) writeFile(saveIn + "/saved");
    return done.load();
  });
  watcher.join();
  watch.out = testing::internal::GetCapturedStdout();
  watch.err = testing::internal::GetCapturedStderr();
  return watch;
}

class WatchDirectoriesTest : public testing::Test {
 protected:
  TempDirectory directory_;
};

// The hint belongs to the first such message of the process: this test runs before any other
// that writes one (alone, or first in this program).
TEST_F(WatchDirectoriesTest, A_HintOnceInTheProcessDetailsWhenVerbose) {
  const std::string missing = directory_ / "missing", file = directory_ / "file";
  writeFile(file);
  const Watch first = watchUntilSaved({missing, directory_.name(), file}, directory_.name(), true);
  EXPECT_FALSE(first.threw);
  EXPECT_EQ(first.out, "adding watch for directory \"" + missing + "\"\n" +
                           "adding watch for directory \"" + directory_.name() + "\"\n" +
                           "adding watch for directory \"" + file + "\"\n" +
                           "starting watch mode\n");
  const std::string detailsMissing =
      " Error details: boost::asio::basic_dir_monitor_service::add_directory: " + missing +
      " is not a valid directory entry\n";
  const std::string detailsFile =
      " Error details: boost::asio::basic_dir_monitor_service::add_directory: " + file +
      " is not a valid directory entry\n";
  EXPECT_EQ(first.err, skipped(missing) + kHint + detailsMissing + skipped(file) + detailsFile);

  const Watch later = watchUntilSaved({missing, directory_.name()}, directory_.name(), false);
  EXPECT_EQ(later.out, "");
  EXPECT_EQ(later.err, skipped(missing) + "\n");
}

// Nothing to watch is no failure: the watch waits, to be ended by a stop only.
TEST_F(WatchDirectoriesTest, NothingToWatchWaitsUntilStopped) {
  const std::string missing = directory_ / "missing";
  WatchStop stop;
  std::atomic<bool> watching{false}, all{true}, done{false}, threw{false};
  testing::internal::CaptureStderr();
  std::thread watcher([&] {
    try {
      watchDirectories({missing},
                       {false,
                        [&](bool every) {
                          all = every;
                          watching = true;
                        },
                        {}},
                       &stop);
    } catch (const std::exception&) {
      threw = true;
    }
    done = true;
  });
  EXPECT_TRUE(eventually([&] { return watching || done; }));
  EXPECT_TRUE(watching && !all && !done);
  stop.request();
  EXPECT_TRUE(eventually([&] { return done.load(); }));
  done ? watcher.join() : watcher.detach();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(threw);
  EXPECT_EQ(err.rfind(skipped(missing), 0), 0u);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST_F(WatchDirectoriesTest, EndsWithAllItsThreadsAndDescriptors) {
  // A first watch starts what lives on anyway (a sanitizer's own thread, for one).
  EXPECT_FALSE(watchUntilSaved({directory_.name()}, directory_.name()).threw);
  const int threads = threadCount(), descriptors = openDescriptorCount();
  for (int round = 0; round < 20; ++round)
    EXPECT_FALSE(watchUntilSaved({directory_.name()}, directory_.name()).threw);
  EXPECT_EQ(threadCount(), threads);
  EXPECT_EQ(openDescriptorCount(), descriptors);
}

TEST_F(WatchDirectoriesTest, DirectoryNamedTwiceIsNoFailure) {
  const Watch watch = watchUntilSaved({directory_.name(), directory_.name()}, directory_.name());
  EXPECT_FALSE(watch.threw);
  EXPECT_EQ(watch.err, "");
}

}  // namespace
}  // namespace Velotrax
