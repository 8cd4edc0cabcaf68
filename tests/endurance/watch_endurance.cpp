// Watch mode over many passes, checked for what it leaves behind (Linux).
//
//   watch_endurance separate PASSES
//     PASSES change-driven passes in separate mode, each child killed by a save. Afterwards: no
//     zombie, no orphan, threads and descriptors as before, resident memory at most 1 MiB above
//     what it was after the first passes.
//   watch_endurance storms STORMS FILES SECONDS
//     STORMS storms of FILES file creations spread over SECONDS, while passes run in process.
//     Afterwards a save still starts a pass, and threads and descriptors are as before.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include <boost/filesystem.hpp>

#include "../sanitized_build.h"
#include "common/messages.h"
#include "fake_engine.h"
#include "halcon/engine_client.h"
#include "os/console_input_posix.h"
#include "process_probe.h"
#include "separate_child.h"
#include "watch/child_run.h"
#include "watch/watch_loop.h"

namespace fs = boost::filesystem;
using namespace Velotrax;
using namespace Velotrax::testing_support;

namespace {

constexpr const char* kReadyVariable = "VELOTRAX_ENDURANCE_READY";
constexpr const char* kTokenVariable = "VELOTRAX_ENDURANCE_TOKEN";
// Passes before resident memory is first measured: pools and caches fill in the first ones.
constexpr int kWarmUpPasses = 20;
constexpr long kMostRssGrowthKiB = 1024;

// No keys, waiting the way the runner does; ESC once `finish` is set.
class Keys final : public os::ConsoleInput {
 public:
  void beginKeyWait() override {}
  void endKeyWait() override {}
  bool keyPressed() override { return finish; }
  int readKey() override { return os::kEscapeKey; }
  void waitForKeyOrEvent(os::Event& event, std::chrono::milliseconds bound) override {
    real_->waitForKeyOrEvent(event, bound);
  }
  std::atomic<bool> finish{false};

 private:
  std::unique_ptr<os::ConsoleInput> real_ = os::consoleInputFor(-1);
};

// In memory where possible: a disk cannot create 10,000 files a second on every machine.
fs::path scratchBase() {
  return fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
}

struct Scene {
  fs::path root = scratchBase() / fs::unique_path("velotrax-endurance-%%%%-%%%%");
  fs::path watched = root / "watched", scratch = root / "scratch";
  std::shared_ptr<WatchState> state = std::make_shared<WatchState>();
  Keys keys;
  Scene() {
    fs::create_directories(watched);
    fs::create_directories(scratch);
  }
  ~Scene() {
    boost::system::error_code ignored;
    fs::remove_all(root, ignored);
  }
  // One event: written elsewhere, renamed into place; new content each time.
  void saveScript() {
    std::ofstream((scratch / "draft").string()) << "saved " << ++saves;
    fs::rename(scratch / "draft", watched / "script.hdvp");
  }
  int saves = 0;
  WatchLoop loop() {
    WatchLoop loop;
    loop.directories = {watched.string()};
    loop.keys = &keys;
    loop.state = state;
    loop.report = [](bool, int) {};
    return loop;
  }
  // Ends the watcher left waiting when the loop ended and waits until its threads are gone;
  // closes the last pass's event.
  bool settle(int threads) {
    state->stopWatcher();
    const bool settled = eventually([&] { return threadCount() == threads; });
    state->closeEvent();
    return settled;
  }
};

// Where the figures go: standard output as it was before the loop's messages were silenced.
FILE* report = stderr;

bool check(bool ok, const char* what) {
  std::fprintf(report, "%-50s %s\n", what, ok ? "ok" : "FAILED");
  return ok;
}

// Processes still alive that were started by this run (they carry its token).
int survivors(const std::string& token) {
  int count = 0;
  const std::string mark = std::string(kTokenVariable) + "=" + token;
  for (fs::directory_iterator it("/proc"), end; it != end; ++it) {
    const std::string name = it->path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    if (std::stoi(name) == getpid()) continue;
    // Variables are NUL-separated: the mark must be one of them, whole.
    const std::string environment = '\0' + readFile("/proc/" + name + "/environ");
    if (environment.find('\0' + mark + '\0') != std::string::npos) ++count;
  }
  return count;
}

int separate(int passes) {
  Scene scene;
  const fs::path ready = scene.scratch / "ready";
  const std::string token = std::to_string(getpid());
  setenv(kReadyVariable, ready.c_str(), 1);
  setenv(kTokenVariable, token.c_str(), 1);
  const int threads = threadCount(), descriptors = openDescriptorCount();
  long rssWarm = 0, rssEnd = 0;
  int pass = 0;

  WatchLoop loop = scene.loop();
  loop.run = [&](int&) {
    ++pass;
    if (pass == kWarmUpPasses + 1) rssWarm = residentKiB();
    if (pass > passes) {
      rssEnd = residentKiB();
      scene.keys.finish = true;
      return true;
    }
    return runInChildProcess(scene.state.get());
  };
  std::thread saver([&] {
    for (int i = 0; i < passes; ++i) {
      if (!eventually([&] { return fs::exists(ready); }, 60)) return;
      fs::remove(ready);
      scene.saveScript();
    }
  });
  const auto start = std::chrono::steady_clock::now();
  runWatchLoop(loop);
  saver.join();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const bool settled = scene.settle(threads);

  std::fprintf(report, "%d change-driven passes in separate mode in %.1f s\n", passes, seconds);
  std::fprintf(report, "threads %d -> %d, descriptors %d -> %d, resident KiB %ld -> %ld (%+ld)\n",
               threads, threadCount(), descriptors, openDescriptorCount(), rssWarm, rssEnd,
               rssEnd - rssWarm);
  bool ok = check(pass == passes + 1, "every pass ran");
  ok &= check(zombieChildren() == 0, "no zombie");
  ok &= check(eventually([&] { return survivors(token) == 0; }), "no orphan");
  ok &= check(settled && threadCount() == threads, "threads as before");
  ok &= check(openDescriptorCount() == descriptors, "descriptors as before");
  if (!kSanitizedBuild)
    ok &= check(passes <= kWarmUpPasses || rssEnd - rssWarm <= kMostRssGrowthKiB,
                "resident memory grew by at most 1 MiB");
  return ok ? 0 : 1;
}

int storms(int count, int files, double seconds) {
  Scene scene;
  const int threads = threadCount(), descriptors = openDescriptorCount();
  std::atomic<int> runs{0};
  WatchLoop loop = scene.loop();
  loop.run = [&](int&) {
    ++runs;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a short script
    return true;
  };

  std::atomic<bool> stillWorking{false};
  std::thread stormer([&] {
    constexpr int kSlices = 100;
    const auto slice = std::chrono::duration<double>(seconds / kSlices);
    for (int storm = 0; storm < count; ++storm) {
      // Right in the watched directory: a subdirectory's entries are not watched.
      const auto start = std::chrono::steady_clock::now();
      for (int i = 0; i < files; ++i) {
        std::ofstream((scene.watched / ("storm-" + std::to_string(i))).string());
        if ((i + 1) % (files / kSlices + 1) == 0)
          std::this_thread::sleep_until(start + slice * ((i + 1) / (files / kSlices + 1)));
      }
      for (int i = 0; i < files; ++i) fs::remove(scene.watched / ("storm-" + std::to_string(i)));
    }
    // Quiet again: one save must still start a pass.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const int before = runs;
    scene.saveScript();
    stillWorking = eventually([&] { return runs > before; });
    scene.keys.finish = true;
  });
  const auto start = std::chrono::steady_clock::now();
  runWatchLoop(loop);
  stormer.join();
  const double taken =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const bool settled = scene.settle(threads);

  std::fprintf(report, "%d storms of %d creations in %.1f s each, %d passes, in %.1f s\n", count,
               files, seconds, runs.load(), taken);
  std::fprintf(report, "threads %d -> %d, descriptors %d -> %d\n", threads, threadCount(),
               descriptors, openDescriptorCount());
  bool ok = check(stillWorking, "a save after the storms starts a pass");
  ok &= check(settled && threadCount() == threads, "threads as before");
  ok &= check(openDescriptorCount() == descriptors, "descriptors as before");
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (const char* marker = std::getenv("VELOTRAX_IS_SLAVE"); marker && std::string(marker) == "1")
    playSeparateModeChild(kReadyVariable);
  const std::string mode = argc > 1 ? argv[1] : "";
  std::thread([] {}).join();  // whatever starts with the first thread is there from now on
  if (!(mode == "separate" && argc == 3) && !(mode == "storms" && argc == 5)) {
    std::fprintf(stderr, "usage: watch_endurance separate PASSES | storms STORMS FILES SECONDS\n");
    return 2;
  }
  enableConsoleMode();
  fake::install();
  // The loop's messages are not what is checked.
  std::fflush(stdout);
  report = fdopen(dup(STDOUT_FILENO), "w");
  if (!report || !std::freopen("/dev/null", "w", stdout)) return 1;
  const int status = mode == "separate"
                         ? separate(std::atoi(argv[2]))
                         : storms(std::atoi(argv[2]), std::atoi(argv[3]), std::atof(argv[4]));
  std::fflush(report);
  return status;
}
