// Watch mode's latencies, side by side in one run (Linux):
//   - the floor: a change's inotify event, read by a thread blocked on the descriptor;
//   - the directory monitor: from the save to its handler;
//   - in process: from the save to the start of the next run, with the wait woken by the change,
//     and with the plain 50 ms sleep between looks at the state;
//   - separate mode: from the save to the child killed and reaped.
// For scale: watchexec debounces changes by 50 ms by default.
//
//   bench_watch [SAMPLES]
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/filesystem.hpp>

#include "common/messages.h"
#include "fake_engine.h"
#include "halcon/engine_client.h"
#include "os/console_input_posix.h"
#include "os/event.h"
#include "separate_child.h"
#include "watch/child_run.h"
#include "watch/dir_monitor.h"
#include "watch/watch_loop.h"

namespace fs = boost::filesystem;
using Clock = std::chrono::steady_clock;
using Velotrax::WatchState;

namespace {

constexpr const char* kReadyVariable = "VELOTRAX_BENCH_READY";

struct Figures {
  std::string name;
  std::vector<double> ms;
};

double percentile(std::vector<double> values, double share) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5)];
}

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// New content each time: a file rewritten with what it held is no change.
void save(const fs::path& file) {
  static std::atomic<int> saves{0};
  std::ofstream(file.string()) << "saved " << ++saves;
}

// Saves the script as many editors do: written elsewhere, renamed into place. That is one event,
// so a save never causes two passes (a save in several steps rightly may), which would put the
// saver out of step with the loop. The moment of the rename is recorded in `savedAt`.
void saveScript(const fs::path& directory, const fs::path& scratch,
                std::atomic<Clock::rep>& savedAt) {
  save(scratch / "draft");
  savedAt = Clock::now().time_since_epoch().count();
  fs::rename(scratch / "draft", directory / "script.hdvp");
}

// A pause of 0 to `longest` ms, so saves do not fall into step with anything the loop does.
void jitter(std::mt19937& random, int longest = 20) {
  std::this_thread::sleep_for(std::chrono::microseconds(random() % (longest * 1000)));
}

Figures inotifyFloor(const fs::path& directory, const fs::path& scratch, int samples) {
  Figures figures{"inotify event (the floor)", {}};
  const int fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  // The monitor's events: the first one of a save counts.
  inotify_add_watch(fd, directory.c_str(),
                    IN_CREATE | IN_DELETE | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM |
                        IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF);
  std::mt19937 random(1);
  alignas(inotify_event) char buffer[4096];
  for (int i = 0; i < samples; ++i) {
    jitter(random);
    std::atomic<Clock::rep> savedAt{0};
    std::thread saver([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the reader waits by now
      saveScript(directory, scratch, savedAt);
    });
    pollfd ready{fd, POLLIN, 0};
    poll(&ready, 1, -1);
    const auto seen = Clock::now();
    saver.join();
    figures.ms.push_back(std::chrono::duration<double, std::milli>(
                             seen - Clock::time_point(Clock::duration(savedAt)))
                             .count());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // the rest of this save's events
    while (read(fd, buffer, sizeof buffer) > 0) {
    }
  }
  close(fd);
  return figures;
}

Figures monitorHandler(const fs::path& directory, const fs::path& scratch, int samples) {
  Figures figures{"directory monitor handler", {}};
  boost::asio::io_context context;
  Velotrax::DirectoryMonitor monitor(context);
  monitor.add_directory(directory.string());
  std::mt19937 random(2);
  // The time of the latest event; one wait is always pending.
  auto handled = std::make_shared<Clock::time_point>();
  std::function<void()> wait = [&] {
    monitor.waitForChange(
        [&, handled](const boost::system::error_code& error, const Velotrax::ChangeEvent&) {
          *handled = Clock::now();
          if (!error) wait();
        });
  };
  wait();
  for (int i = 0; i < samples; ++i) {
    jitter(random);
    std::atomic<Clock::rep> savedAt{0};
    std::thread saver([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      saveScript(directory, scratch, savedAt);
    });
    context.restart();
    context.run_one();
    saver.join();
    figures.ms.push_back(std::chrono::duration<double, std::milli>(
                             *handled - Clock::time_point(Clock::duration(savedAt)))
                             .count());
    // The other events of this save (close, attributes) go before the next sample.
    context.restart();
    while (context.run_one_for(std::chrono::milliseconds(20))) {
    }
  }
  return figures;
}

// Keys from a descriptor that is no terminal (so none), waiting the way the runner does, or
// with the plain sleep; ESC once `finish` is set.
class BenchKeys final : public Velotrax::os::ConsoleInput {
 public:
  explicit BenchKeys(bool plainSleep)
      : plainSleep_(plainSleep), real_(Velotrax::os::consoleInputFor(-1)) {}
  void beginKeyWait() override { real_->beginKeyWait(); }
  void endKeyWait() override { real_->endKeyWait(); }
  bool keyPressed() override { return finish; }
  int readKey() override { return Velotrax::os::kEscapeKey; }
  void waitForKeyOrEvent(Velotrax::os::Event& event, std::chrono::milliseconds bound) override {
    if (plainSleep_)
      std::this_thread::sleep_for(bound);
    else
      real_->waitForKeyOrEvent(event, bound);
  }
  std::atomic<bool> finish{false};

 private:
  bool plainSleep_;
  std::unique_ptr<Velotrax::os::ConsoleInput> real_;
};

// The watch loop over `directory`; `run` is one pass's run, `saved` the save times the saver
// thread records. Each latency is measured by `run` itself.
struct LoopBench {
  explicit LoopBench(fs::path watched) : directory(std::move(watched)) {}
  fs::path directory;
  std::shared_ptr<WatchState> state = std::make_shared<WatchState>();
  std::mutex mutex;
  std::condition_variable waiting;
  int reported = 0;
};

Figures inProcess(const fs::path& directory, const fs::path& scratch, int samples,
                  bool plainSleep) {
  Figures figures{plainSleep ? "save -> next run, in process, plain 50 ms sleep"
                             : "save -> next run, in process",
                  {}};
  LoopBench bench{directory};
  BenchKeys keys(plainSleep);
  std::atomic<Clock::rep> savedAt{0};
  Velotrax::WatchLoop loop;
  loop.directories = {directory.string()};
  loop.keys = &keys;
  loop.state = bench.state;
  loop.run = [&](int&) {
    const Clock::rep saved = savedAt.exchange(0);
    if (saved) figures.ms.push_back(msSince(Clock::time_point(Clock::duration(saved))));
    // Long enough for the pass's watcher to be watching when the saver saves.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (static_cast<int>(figures.ms.size()) >= samples) keys.finish = true;
    return true;
  };
  loop.report = [&](bool, int) {
    std::lock_guard<std::mutex> hold(bench.mutex);
    ++bench.reported;
    bench.waiting.notify_all();
  };
  std::thread saver([&] {
    std::mt19937 random(3);
    // Two of the plain sleep's 50 ms periods, so the saves fall anywhere in them.
    constexpr int kLongestPause = 100;
    for (int done = 0; !keys.finish;) {
      std::unique_lock<std::mutex> hold(bench.mutex);
      bench.waiting.wait(hold, [&] { return bench.reported > done || keys.finish; });
      done = bench.reported;
      hold.unlock();
      if (keys.finish) break;
      jitter(random, kLongestPause);
      saveScript(directory, scratch, savedAt);
    }
  });
  Velotrax::runWatchLoop(loop);
  saver.join();
  save(directory / "last");  // ends the last watcher
  return figures;
}

Figures separateMode(const fs::path& directory, const fs::path& scratch, int samples) {
  Figures figures{"save -> child killed, separate mode", {}};
  const fs::path ready = scratch / "ready";
  setenv(kReadyVariable, ready.c_str(), 1);
  LoopBench bench{directory};
  BenchKeys keys(false);
  std::atomic<Clock::rep> savedAt{0};
  Velotrax::WatchLoop loop;
  loop.directories = {directory.string()};
  loop.keys = &keys;
  loop.state = bench.state;
  loop.run = [&](int&) {
    if (static_cast<int>(figures.ms.size()) >= samples) {
      keys.finish = true;
      return true;
    }
    const bool ok = Velotrax::runInChildProcess(bench.state.get());
    figures.ms.push_back(msSince(Clock::time_point(Clock::duration(savedAt.exchange(0)))));
    return ok;
  };
  loop.report = [](bool, int) {};
  std::thread saver([&] {
    std::mt19937 random(4);
    for (int i = 0; i < samples; ++i) {
      while (!fs::exists(ready)) std::this_thread::sleep_for(std::chrono::microseconds(200));
      fs::remove(ready);
      jitter(random);
      saveScript(directory, scratch, savedAt);
    }
  });
  Velotrax::runWatchLoop(loop);
  saver.join();
  save(directory / "last");
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  if (const char* marker = std::getenv("VELOTRAX_IS_SLAVE"); marker && std::string(marker) == "1")
    playSeparateModeChild(kReadyVariable);
  const int samples = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  Velotrax::enableConsoleMode();
  Velotrax::fake::install();
  // The loop's own messages are not what is measured.
  std::fflush(stdout);
  if (!std::freopen("/dev/null", "w", stdout)) return 1;

  const fs::path root = fs::temp_directory_path() / fs::unique_path("velotrax-bench-%%%%-%%%%");
  const fs::path watched = root / "watched", scratch = root / "scratch";
  fs::create_directories(watched);
  fs::create_directories(scratch);
  std::vector<Figures> all;
  all.push_back(inotifyFloor(watched, scratch, samples));
  all.push_back(monitorHandler(watched, scratch, samples));
  all.push_back(inProcess(watched, scratch, samples, false));
  all.push_back(inProcess(watched, scratch, samples, true));
  all.push_back(separateMode(watched, scratch, samples));
  fs::remove_all(root);

  std::fprintf(stderr, "%-50s %9s %9s %9s   (%d saves each)\n", "latency in ms", "median", "p95",
               "max", samples);
  for (const Figures& figures : all)
    std::fprintf(stderr, "%-50s %9.3f %9.3f %9.3f\n", figures.name.c_str(),
                 percentile(figures.ms, 0.5), percentile(figures.ms, 0.95),
                 percentile(figures.ms, 1.0));
  std::fprintf(stderr, "%-50s %9.3f   (fixed delay, for scale)\n", "watchexec default debounce",
               50.0);
  return 0;
}
