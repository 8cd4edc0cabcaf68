// Keys through a pseudo-terminal, and standard input that is no terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "../sanitized_build.h"
#include "os/console_input_posix.h"
#include "os/event.h"
#include "os/unique_fd_posix.h"
#include "process_probe.h"

namespace Velotrax {
namespace {

using testing_support::spawnPlaying;

constexpr std::chrono::milliseconds kBound{50};
constexpr int kPatienceRounds = 200;  // 10 s of bounded waits

class TerminalKeysTest : public testing::Test {
 protected:
  void SetUp() override {
    int master = -1, terminal = -1;
    ASSERT_EQ(openpty(&master, &terminal, nullptr, nullptr, nullptr), 0);
    master_.reset(master);
    terminal_.reset(terminal);
    keys_ = os::consoleInputFor(terminal);
  }

  void type(const std::string& keys) {
    ASSERT_EQ(::write(master_.get(), keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  // Waits the way the watch loop does until a key is there.
  bool keyArrives() {
    for (int round = 0; round < kPatienceRounds; ++round) {
      if (keys_->keyPressed()) return true;
      keys_->waitForKeyOrEvent(event_, kBound);
    }
    return false;
  }

  tcflag_t localModes() {
    struct termios mode {};
    tcgetattr(terminal_.get(), &mode);
    return mode.c_lflag;
  }

  os::UniqueFd master_, terminal_;
  std::unique_ptr<os::ConsoleInput> keys_;
  os::Event event_ = *os::Event::create();
};

TEST_F(TerminalKeysTest, SingleKeysWithoutEchoOnlyWhileWaiting) {
  const tcflag_t before = localModes();
  ASSERT_TRUE(before & ICANON);
  ASSERT_TRUE(before & ECHO);
  {
    const os::KeyWait wait(*keys_);
    EXPECT_FALSE(localModes() & (ICANON | ECHO));
  }
  EXPECT_EQ(localModes(), before);
}

TEST_F(TerminalKeysTest, LoneEscapeIsEscapeAndOtherKeysAreThemselves) {
  const os::KeyWait wait(*keys_);
  type("a");
  ASSERT_TRUE(keyArrives());
  EXPECT_EQ(keys_->readKey(), 'a');
  type("\x1b");
  ASSERT_TRUE(keyArrives());
  EXPECT_EQ(keys_->readKey(), os::kEscapeKey);
  EXPECT_FALSE(keys_->keyPressed());
}

TEST_F(TerminalKeysTest, EscapeSequenceIsOneOtherKeyTakenWhole) {
  const os::KeyWait wait(*keys_);
  // An arrow, a function key (SS3), a modified arrow; each followed by 'q'.
  for (const std::string sequence : {"\x1b[A", "\x1bOP", "\x1b[1;5C"}) {
    type(sequence + "q");
    ASSERT_TRUE(keyArrives());
    const int key = keys_->readKey();
    EXPECT_NE(key, os::kEscapeKey);
    EXPECT_NE(key, 'q');
    ASSERT_TRUE(keyArrives());
    EXPECT_EQ(keys_->readKey(), 'q') << "after " << sequence.substr(1);
  }
}

// ESC and a key typed at once, as a key typed during a run and ESC typed with it: ESC first,
// the key next, as the console's _getch gives them.
TEST_F(TerminalKeysTest, EscapeFollowedByAKeyIsEscapeThenTheKey) {
  const os::KeyWait wait(*keys_);
  for (const std::string next : {"x", "\x1b"}) {
    type("\x1b" + next);
    ASSERT_TRUE(keyArrives());
    EXPECT_EQ(keys_->readKey(), os::kEscapeKey);
    ASSERT_TRUE(keyArrives());
    EXPECT_EQ(keys_->readKey(), static_cast<unsigned char>(next[0]));
  }
}

TEST_F(TerminalKeysTest, KeyTypedBeforeTheWaitCounts) {
  type("\x1b");  // typed while the terminal was still line by line, during a run
  const os::KeyWait wait(*keys_);
  ASSERT_TRUE(keyArrives());
  EXPECT_EQ(keys_->readKey(), os::kEscapeKey);
}

TEST_F(TerminalKeysTest, HangUpIsNoKey) {
  const os::KeyWait wait(*keys_);
  master_.reset();
  for (int round = 0; round < 3; ++round) {
    EXPECT_FALSE(keys_->keyPressed());
    keys_->waitForKeyOrEvent(event_, kBound);
  }
}

TEST_F(TerminalKeysTest, EventEndsTheWait) {
  const os::KeyWait wait(*keys_);
  event_.signal();
  const auto start = std::chrono::steady_clock::now();
  keys_->waitForKeyOrEvent(event_, std::chrono::hours(1));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::minutes(1));
}

TEST_F(TerminalKeysTest, SignalEndingTheProcessRestoresTheTerminal) {
  if (kSignalsMayBeLost) GTEST_SKIP() << "this build's runtime may drop the signal";
  const tcflag_t before = localModes();
  const std::string name = ttyname(terminal_.get());
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  os::UniqueFd reading(ends[0]), writing(ends[1]);
  const pid_t waiter = spawnPlaying("keywait:" + name, writing.get());
  ASSERT_GT(waiter, 0);
  writing.reset();
  char ready[6] = {};
  pollfd answer{reading.get(), POLLIN, 0};
  const bool answered = poll(&answer, 1, 10000) == 1 && ::read(reading.get(), ready, 5) == 5;
  reading.reset();
  if (!answered) {
    int status = 0;
    testing_support::waitForExit(waiter, status, 0);
    FAIL() << "the key-waiting child never said it was ready; killed";
  }
  EXPECT_FALSE(localModes() & ICANON);

  kill(waiter, SIGTERM);
  int status = 0;
  ASSERT_TRUE(testing_support::waitForExit(waiter, status))
      << "the key-waiting child did not end after SIGTERM; killed";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_EQ(localModes(), before);
}

TEST(NoTerminalKeys, PipeNeverGivesAKeyNorEndOfInput) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  os::UniqueFd reading(ends[0]), writing(ends[1]);
  auto keys = os::consoleInputFor(reading.get());
  os::Event event = *os::Event::create();
  const os::KeyWait wait(*keys);
  ASSERT_EQ(::write(writing.get(), "\x1b", 1), 1);
  EXPECT_FALSE(keys->keyPressed());
  writing.reset();  // end of input
  EXPECT_FALSE(keys->keyPressed());
  event.signal();
  keys->waitForKeyOrEvent(event, std::chrono::hours(1));  // the event ends it, not the input
  EXPECT_FALSE(keys->keyPressed());
}

}  // namespace
}  // namespace Velotrax
