// The child copy of the runner: what it is given, how it ends, and that nothing outlives it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../sanitized_build.h"
#include "os/child_process.h"
#include "os/event.h"
#include "process_probe.h"
#include "temp_directory.h"
#include "watch/child_run.h"

namespace Velotrax {
namespace {

using namespace testing_support;

void playing(const std::string& role) {
  setenv("VELOTRAX_TEST_CHILD", role.c_str(), 1);
}

// "<pid> <grandchild pid>" from a lingering child, once it has written them.
std::pair<pid_t, pid_t> lingeringPids(const std::string& ticks) {
  std::pair<pid_t, pid_t> pids{0, 0};
  eventually([&] {
    std::istringstream(readFile(ticks + ".pids")) >> pids.first >> pids.second;
    return pids.second > 0;
  });
  return pids;
}

// The outcome of one run of the child, which must start and be waited for.
os::ChildOutcome runChild(os::Event* change) {
  const os::OsResult<os::ChildOutcome> outcome = os::runSelfAsChild(change);
  if (!outcome) ADD_FAILURE() << outcome.failure().step << ": " << outcome.failure().text;
  return outcome ? *outcome : os::ChildOutcome{};
}

bool gone(pid_t pid) {
  const char state = processState(pid);
  return state == 0 || state == 'Z';  // a killed grandchild waits for init to reap it
}

TEST(ChildProcess, EndsWithTheChildsExitStatus) {
  for (int status : {0, 1, 3}) {
    playing("exit:" + std::to_string(status));
    const os::ChildOutcome outcome = runChild(nullptr);
    EXPECT_EQ(outcome.end, os::ChildOutcome::End::exited);
    EXPECT_EQ(outcome.exitCode, status);
  }
  EXPECT_EQ(zombieChildren(), 0);
}

// Where pidfd_open is refused (kernels before 5.3, seccomp filters), the child is still waited
// for, not killed at once.
TEST(ChildProcess, EndsWithTheChildsExitStatusWithoutPidfd) {
  const pid_t runner = spawnPlaying("nopidfd:exit:3");
  ASSERT_GT(runner, 0);
  int status = 0;
  EXPECT_TRUE(eventually([&] { return waitpid(runner, &status, WNOHANG) == runner; }));
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
}

TEST(ChildProcess, GetsTheSameCommandLineAndTheMarker) {
  TempDirectory directory;
  const std::string description = directory / "described";
  playing("describe:" + description);
  setenv("VELOTRAX_IS_SLAVE", "0", 1);  // replaced, not repeated
  const os::ChildOutcome outcome = runChild(nullptr);
  unsetenv("VELOTRAX_IS_SLAVE");
  ASSERT_EQ(outcome.exitCode, 0);

  std::string expected = readFile("/proc/self/cmdline");
  for (char& c : expected)
    if (c == '\0') c = '\n';
  EXPECT_EQ(readFile(description), expected + "VELOTRAX_IS_SLAVE=1\n");
}

TEST(ChildProcess, ChangeKillsTheChildAndWhatItStartedBeforeReturning) {
  TempDirectory directory;
  const std::string ticks = directory / "ticks";
  playing("linger:" + ticks);
  os::Event change = *os::Event::create();
  std::pair<pid_t, pid_t> pids;
  std::thread saver([&] {
    pids = lingeringPids(ticks);
    change.signal();
  });
  const os::ChildOutcome outcome = runChild(&change);
  saver.join();
  EXPECT_EQ(outcome.end, os::ChildOutcome::End::killed);
  ASSERT_GT(pids.first, 0);
  // Reaped before the call returned, so nothing of it can write any more.
  EXPECT_EQ(processState(pids.first), 0);
  const size_t written = readFile(ticks).size();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(readFile(ticks).size(), written);
  EXPECT_TRUE(eventually([&] { return gone(pids.second); }));
  EXPECT_EQ(zombieChildren(), 0);
  // The change was taken: the event is no longer signalled.
  EXPECT_FALSE(change.wait(std::chrono::milliseconds(0)));
}

TEST(ChildProcess, SignalEndingTheRunnerEndsTheChild) {
  if (kSignalsMayBeLost) GTEST_SKIP() << "this build's runtime may drop the signal";
  TempDirectory directory;
  const std::string ticks = directory / "ticks";
  const pid_t runner = spawnPlaying("nest:" + ticks);
  ASSERT_GT(runner, 0);

  const std::pair<pid_t, pid_t> pids = lingeringPids(ticks);
  ASSERT_GT(pids.first, 0);
  kill(runner, SIGTERM);
  int status = 0;
  ASSERT_TRUE(waitForExit(runner, status)) << "the runner did not end after SIGTERM; killed";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_TRUE(eventually([&] { return gone(pids.first) && gone(pids.second); }));
}

// The user's words for each failure the child process reports, naming the failed call.
TEST(ChildProcess, FailuresAreWordedByTheCallThatFailed) {
  const std::pair<const char*, const char*> cases[] = {
      {"posix_spawn", "could not launch Velotrax slave process using posix_spawn()."},
      {"kill", "could not terminate Velotrax slave process using kill()."},
      {"poll", "could not wait for Velotrax slave process."},
      {"pidfd_open", "could not wait for Velotrax slave process."},
  };
  for (const auto& [step, text] : cases) EXPECT_EQ(childFailureText({step, EINVAL, "x"}), text);
}

TEST(Event, IsAutoResetAndKeepsOneSignal) {
  os::Event event = *os::Event::create();
  EXPECT_FALSE(event.wait(std::chrono::milliseconds(0)));
  event.signal();
  event.signal();
  EXPECT_TRUE(event.wait(std::chrono::milliseconds(0)));
  EXPECT_FALSE(event.wait(std::chrono::milliseconds(0)));
  std::thread signaller([&] { event.signal(); });
  EXPECT_TRUE(event.wait(std::chrono::seconds(10)));
  signaller.join();
}

}  // namespace
}  // namespace Velotrax
