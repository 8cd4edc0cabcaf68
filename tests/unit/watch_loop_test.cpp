// The watch loop with a real watcher on a temporary directory, scripted keys and runs, and a fake
// engine client.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/run_settings.h"
#include "fake_engine.h"
#include "halcon/hde_exception.h"
#include "os/console_input.h"
#include "os/event.h"
#include "process_probe.h"
#include "temp_directory.h"
#include "watch/watch_loop.h"
#include "watch/watcher.h"

namespace Velotrax {
namespace {

using namespace testing_support;

constexpr int kEsc = os::kEscapeKey;

// Keys typed ahead; they can only be read inside a key wait, as on a terminal.
class ScriptedKeys final : public os::ConsoleInput {
 public:
  void beginKeyWait() override {
    EXPECT_EQ(open_, 0);
    ++open_;
  }
  void endKeyWait() override { --open_; }
  bool keyPressed() override { return open_ == 1 && !typed.empty(); }
  int readKey() override {
    const int key = typed.front();
    typed.pop_front();
    return key;
  }
  void waitForKeyOrEvent(os::Event& event, std::chrono::milliseconds bound) override {
    event.wait(bound);
  }
  bool balanced() const { return open_ == 0; }

  std::deque<int> typed;

 private:
  int open_ = 0;
};

int occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class WatchLoopTest : public testing::Test {
 protected:
  void SetUp() override { fake::install(); }

  void TearDown() override {
    state_->stopWatcher();
    EXPECT_TRUE(keys_.balanced());
  }

  // Runs the loop over the temporary directory (or `directories`), capturing its output.
  bool runLoop(std::vector<std::string> directories = {}) {
    WatchLoop loop;
    loop.run = [this](int& elapsedMs) {
      ++runs_;
      return onRun ? onRun(elapsedMs) : true;
    };
    loop.report = [this](bool ok, int elapsedMs) { reports_.emplace_back(ok, elapsedMs); };
    loop.directories =
        directories.empty() ? std::vector<std::string>{directory_.name()} : std::move(directories);
    loop.keys = &keys_;
    loop.state = state_;
    if (watch) loop.watch = watch;
    loop.verbose = verbose;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    bool ended = false;
    try {
      ended = runWatchLoop(loop);
    } catch (...) {
      out_ = testing::internal::GetCapturedStdout();
      err_ = testing::internal::GetCapturedStderr();
      throw;
    }
    out_ = testing::internal::GetCapturedStdout();
    err_ = testing::internal::GetCapturedStderr();
    return ended;
  }

  // Saves a file with new content; returns when the watcher has seen it.
  void saveUntilSeen() {
    writeFile(directory_ / "saved", std::to_string(++saves_));
    ASSERT_TRUE(eventually([this] { return state_->value() == WatchState::changeSeen; }));
  }

  std::function<bool(int&)> onRun;
  WatchFunction watch;
  bool verbose = false;
  TempDirectory directory_;
  ScriptedKeys keys_;
  std::shared_ptr<WatchState> state_ = std::make_shared<WatchState>();
  std::vector<std::pair<bool, int>> reports_;
  int runs_ = 0, saves_ = 0;
  std::string out_, err_;
};

using Reports = std::vector<std::pair<bool, int>>;

TEST_F(WatchLoopTest, EscapeTypedDuringTheRunEndsAfterTheResultLine) {
  onRun = [this](int& elapsedMs) {
    keys_.typed.push_back(kEsc);
    elapsedMs = 7;
    return true;
  };
  EXPECT_TRUE(runLoop());
  EXPECT_EQ(runs_, 1);
  EXPECT_EQ(reports_, (Reports{{true, 7}}));
  EXPECT_EQ(fake::engine().unloads, 1);
  // The loop's own message follows the result; the watcher writes one more when it starts.
  EXPECT_GE(occurrences(out_, kWatchMessage), 1);
}

TEST_F(WatchLoopTest, AnyOtherKeyRunsAgain) {
  keys_.typed = {'a'};
  onRun = [this](int&) {
    if (runs_ == 2) keys_.typed.push_back(kEsc);
    return true;
  };
  EXPECT_TRUE(runLoop());
  EXPECT_EQ(runs_, 2);
  EXPECT_EQ(fake::engine().unloads, 2);
  EXPECT_EQ(reports_.size(), 2u);
}

TEST_F(WatchLoopTest, ChangeRunsAgainWithoutAKey) {
  onRun = [this](int&) {
    if (runs_ == 1) saveUntilSeen();
    if (runs_ == 2) keys_.typed.push_back(kEsc);
    return true;
  };
  EXPECT_TRUE(runLoop());
  EXPECT_EQ(runs_, 2);
  EXPECT_TRUE(keys_.typed.empty());
}

TEST_F(WatchLoopTest, FailingRunKeepsWatching) {
  onRun = [this](int& elapsedMs) {
    if (runs_ == 1) {
      saveUntilSeen();
      return false;
    }
    elapsedMs = 3;
    keys_.typed.push_back(kEsc);
    return true;
  };
  EXPECT_TRUE(runLoop());
  EXPECT_EQ(reports_, (Reports{{false, -1}, {true, 3}}));
}

TEST_F(WatchLoopTest, FailedWatchEndsTheLoopAfterTheRun) {
  verbose = true;
  watch = [](const std::vector<std::string>&, const WatchCallbacks& callbacks, WatchStop*) {
    callbacks.watching(true);
    throw std::runtime_error("monitor broke");
  };
  onRun = [this](int&) {
    EXPECT_TRUE(eventually([this] { return state_->value() == WatchState::watchFailed; }));
    return true;
  };
  EXPECT_TRUE(runLoop());
  EXPECT_EQ(runs_, 1);
  EXPECT_EQ(reports_.size(), 1u);
  EXPECT_NE(err_.find("unknown error in watching directories: monitor broke\n"), std::string::npos);
}

// With no directory watched the wait never ends by itself: keys still run the script again, and
// ESC ends the loop. A directory that appears meanwhile is watched from the next pass on.
TEST_F(WatchLoopTest, NothingWatchableStillTakesKeysAndWatchesWhatAppears) {
  const std::string later = directory_ / "later";
  onRun = [&](int&) {
    if (runs_ == 1) keys_.typed.push_back('k');
    if (runs_ == 2) {
      boost::filesystem::create_directory(later);
      keys_.typed.push_back('k');
    }
    if (runs_ == 3) {
      writeFile(later + "/saved");
      EXPECT_TRUE(eventually([&] { return state_->value() == WatchState::changeSeen; }));
    }
    if (runs_ == 4) keys_.typed.push_back(kEsc);
    return true;
  };
  EXPECT_TRUE(runLoop({later}));
  EXPECT_EQ(runs_, 4);
  EXPECT_EQ(err_.find("unknown error"), std::string::npos);
}

TEST_F(WatchLoopTest, EngineErrorFromUnloadingLeavesTheLoop) {
  fake::engine().nextUnloadError = fake::makeRecord({1, "", 0, -1, "unload refused"});
  keys_.typed = {'a', kEsc};
  try {
    runLoop();
    ADD_FAILURE() << "no exception";
  } catch (const HDEException& error) {
    EXPECT_NE(std::string(error.what()).find("unload refused"), std::string::npos);
  }
  EXPECT_EQ(runs_, 1);
  EXPECT_TRUE(reports_.empty());  // the exception comes before the result line
}

// Every key but ESC used to leave its pass's watcher waiting, with its two monitor threads and
// its open directories; a few thousand keys exhausted the process.
TEST_F(WatchLoopTest, KeysKeepOneWatcherAndEveryPassShowsTheMessage) {
  constexpr int kPasses = 300;
  // Counted in the first pass, when its watcher watches: later passes add nothing.
  int threadsFirst = 0, descriptorsFirst = 0, threadsMost = 0, descriptorsMost = 0;
  onRun = [&](int&) {
    if (runs_ == 1) {
      threadsFirst = threadCount();
      descriptorsFirst = openDescriptorCount();
    }
    threadsMost = std::max(threadsMost, threadCount());
    descriptorsMost = std::max(descriptorsMost, openDescriptorCount());
    keys_.typed.push_back(runs_ < kPasses ? 'k' : kEsc);
    return true;
  };
  EXPECT_TRUE(runLoop());
  EXPECT_EQ(threadsMost, threadsFirst);
  // The pass's event is replaced by a new one: two for a moment.
  EXPECT_LE(descriptorsMost, descriptorsFirst + 1);
  // Two messages a pass: at its start (by the watcher or the loop) and after its result.
  EXPECT_EQ(occurrences(out_, kWatchMessage), 2 * kPasses);
  EXPECT_EQ(runs_, kPasses);
}

// A run in a child closes the pass's event; a watcher firing after that must find no event to
// signal, and the wait must still be woken.
TEST_F(WatchLoopTest, ChangeAfterTheEventIsClosedStillRunsAgain) {
  onRun = [this](int&) {
    if (runs_ == 1) {
      state_->closeEvent();
      saveUntilSeen();
      EXPECT_EQ(state_->event(), nullptr);
    } else {
      keys_.typed.push_back(kEsc);
    }
    return true;
  };
  EXPECT_TRUE(runLoop());
  EXPECT_EQ(runs_, 2);
}

TEST(WatchStateTest, ChangeSignalsTheEventWhileItIsThere) {
  WatchState state;
  state.beginPass();
  state.markChange();
  EXPECT_EQ(state.value(), WatchState::changeSeen);
  EXPECT_TRUE(state.event()->wait(std::chrono::milliseconds(0)));

  state.beginPass();
  EXPECT_EQ(state.value(), WatchState::nothingSeen);
  state.closeEvent();
  state.markChange();  // nothing to signal
  state.ensureEvent();
  EXPECT_FALSE(state.event()->wait(std::chrono::milliseconds(0)));
  state.markFailed();
  EXPECT_EQ(state.value(), WatchState::watchFailed);
}

}  // namespace
}  // namespace Velotrax
