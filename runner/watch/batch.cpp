#include "batch.h"

#include <algorithm>
#include <boost/filesystem/operations.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/messages.h"
#include "execution/junit_report.h"
#include "execution/run_record.h"
#include "execution/script_catalogue.h"
#include "os/child_pool.h"
#include "os/clock.h"
#include "os/file_io.h"

namespace Velotrax {

namespace {

namespace fs = boost::filesystem;

// How much of a crashed child's output its report keeps: the end, where the cause is.
constexpr size_t kOutputTail = 64 * 1024;

// The batch's scratch directory: the children's output and records, removed at the end.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    boost::system::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    path_ = (error ? fs::current_path() : base) / fs::unique_path("velotrax-batch-%%%%-%%%%-%%%%");
    fs::create_directories(path_);  // throws, with the reason, when it cannot be made
  }
  ~ScratchDirectory() {
    boost::system::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  std::string file(size_t index, const char* extension) const {
    return (path_ / (std::to_string(index) + extension)).string();
  }

 private:
  fs::path path_;
};

struct Running {
  size_t index;  // in the slice
  int child;
  int64_t startNs;
};

struct Counts {
  size_t passed = 0, failed = 0, timedOut = 0;
};

// The end of what a child wrote, without the banner every run starts with.
std::string outputTail(const std::string& path) {
  const os::OsResult<std::string> output = os::readRegularFile(path);
  if (!output) return "";
  std::string_view text = *output;
  const std::string banner = std::string(kProductName) + " ";
  if (text.substr(0, banner.size()) == banner) {
    const size_t end = text.find("\n\n");
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
  }
  return std::string(text.size() > kOutputTail ? text.substr(text.size() - kOutputTail) : text);
}

class Batch {
 public:
  Batch(const RunSettings& settings, std::vector<BatchScript> scripts)
      : settings_(settings), scripts_(std::move(scripts)), records_(scripts_.size()) {}

  int run() {
    const std::unique_ptr<os::ChildPool> pool = os::ChildPool::create();
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t jobs =
        std::min<size_t>(settings_.jobs > 0 ? size_t(settings_.jobs) : cores, pool->capacity());
    const std::string timestamp = reportTimestamp();
    const int64_t begin = os::monotonicNanoseconds();
    int interrupted = -1;
    while (interrupted < 0) {
      while (running_.size() < jobs && next_ < scripts_.size()) start(*pool, next_++);
      if (running_.empty()) break;
      const os::OsResult<os::PoolWait> wait = pool->wait(timeUntilDeadline());
      if (!wait)
        throw std::runtime_error("could not wait for the scripts' processes: " +
                                 wait.failure().text);
      switch (wait->kind) {
        case os::PoolWait::Kind::ended:
          ended(wait->child, wait->exited, wait->status);
          break;
        case os::PoolWait::Kind::timedOut:
          endOverdue(*pool);
          break;
        case os::PoolWait::Kind::interrupted:
          interrupted = wait->signal > 0 ? wait->signal : 2;
          break;
      }
    }
    for (const Running& run : running_) pool->kill(run.child);
    const double seconds = static_cast<double>(os::monotonicNanoseconds() - begin) / 1e9;
    summarise(seconds, interrupted);

    bool written = true;
    if (!settings_.report.empty()) {
      std::vector<RunRecord> finished;
      for (std::optional<RunRecord>& record : records_)
        if (record) finished.push_back(std::move(*record));
      written = writeJunitReport(settings_.report, finished, timestamp);
    }
    if (interrupted >= 0) return 128 + interrupted;
    return written && counts_.failed == 0 && counts_.timedOut == 0 ? 0 : 1;
  }

 private:
  void start(os::ChildPool& pool, size_t index) {
    const BatchScript& script = scripts_[index];
    const os::Variables variables = {{kLocatedScriptVariable, script.childScript()},
                                     {kRunRecordVariable, scratch_.file(index, ".record")}};
    const os::OsResult<int> child = pool.start(variables, scratch_.file(index, ".out"));
    if (!child) {
      finish(index, failedRecord(index, "could not start its process: " + child.failure().text,
                                 "crash", ""));
      return;
    }
    running_.push_back({index, *child, os::monotonicNanoseconds()});
  }

  // The nearest time limit, in milliseconds from now; -1 without one.
  int timeUntilDeadline() const {
    if (settings_.timeoutSeconds <= 0 || running_.empty()) return -1;
    int64_t earliest = running_.front().startNs;
    for (const Running& run : running_) earliest = std::min(earliest, run.startNs);
    const int64_t limitNs = static_cast<int64_t>(settings_.timeoutSeconds * 1e9);
    const int64_t leftNs = earliest + limitNs - os::monotonicNanoseconds();
    return static_cast<int>(std::clamp<int64_t>((leftNs + 999999) / 1000000, 0, 1 << 30));
  }

  void endOverdue(os::ChildPool& pool) {
    const int64_t limitNs = static_cast<int64_t>(settings_.timeoutSeconds * 1e9);
    const int64_t now = os::monotonicNanoseconds();
    for (size_t i = 0; i < running_.size();) {
      const Running run = running_[i];
      if (now - run.startNs < limitNs) {
        ++i;
        continue;
      }
      pool.kill(run.child);
      running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(i));
      std::ostringstream message;
      message << "timed out after " << settings_.timeoutSeconds << " s";
      RunRecord record = failedRecord(run.index, message.str(), "timeout",
                                      outputTail(scratch_.file(run.index, ".out")));
      record.seconds = static_cast<double>(now - run.startNs) / 1e9;
      ++counts_.timedOut;
      finish(run.index, std::move(record), false);
    }
  }

  void ended(int child, bool exited, int status) {
    const auto found = std::find_if(running_.begin(), running_.end(),
                                    [child](const Running& run) { return run.child == child; });
    if (found == running_.end()) return;
    const Running run = *found;
    running_.erase(found);
    const std::string recordPath = scratch_.file(run.index, ".record");
    const os::OsResult<std::string> text = os::readRegularFile(recordPath);
    std::optional<RunRecord> record = text ? deserialized(*text) : std::nullopt;
    if (!record) {
      std::ostringstream message;
      message << "its process ended without a result, "
              << (exited ? "with exit status " : "by signal ") << status;
      record = failedRecord(run.index, message.str(), "crash",
                            outputTail(scratch_.file(run.index, ".out")));
    } else if (record->passed && !(exited && status == 0)) {
      record->passed = false;  // it said it passed, then failed on the way out
      record->failureType = "crash";
      record->failureMessage = "its process ended with status " + std::to_string(status);
    }
    record->className = scriptClassName(scripts_[run.index].file, settings_.startDirectory);
    record->seconds = static_cast<double>(os::monotonicNanoseconds() - run.startNs) / 1e9;
    finish(run.index, std::move(*record));
  }

  RunRecord failedRecord(size_t index, const std::string& message, const char* type,
                         std::string text) const {
    const BatchScript& script = scripts_[index];
    RunRecord record;
    record.className = scriptClassName(script.file, settings_.startDirectory);
    record.name = script.procedureName();
    record.failureMessage = message;
    record.failureType = type;
    record.failureText = std::move(text);
    record.resultLine = "Execution of " + script.name + " failed: " + message + ".";
    return record;
  }

  // One message per script, so no two scripts' lines mix.
  void finish(size_t index, RunRecord record, bool count = true) {
    if (record.passed) {
      ++counts_.passed;
      printNormal(record.resultLine);
    } else {
      if (count) ++counts_.failed;
      std::string text = record.passed ? "" : record.err;
      if (text.empty()) text = record.failureText;
      if (!text.empty() && text.back() != '\n') text += '\n';
      printError(text + record.resultLine);
    }
    records_[index] = std::move(record);
  }

  void summarise(double seconds, int interrupted) const {
    std::ostringstream line;
    line << (interrupted >= 0 ? "Batch interrupted: " : "Batch: ") << counts_.passed << " passed, "
         << counts_.failed << " failed, " << counts_.timedOut << " timed out";
    if (interrupted >= 0)
      line << ", " << (scripts_.size() - counts_.passed - counts_.failed - counts_.timedOut)
           << " not finished";
    line << " (" << scripts_.size() << " scripts, ";
    line.precision(1);
    line << std::fixed << seconds << " s).";
    if (interrupted < 0 && counts_.failed == 0 && counts_.timedOut == 0)
      printNormal(line);
    else
      printError(line);
  }

  const RunSettings& settings_;
  std::vector<BatchScript> scripts_;
  std::vector<std::optional<RunRecord>> records_;
  std::vector<Running> running_;
  size_t next_ = 0;
  Counts counts_;
  ScratchDirectory scratch_;
};

}  // namespace

Slice shardSlice(size_t size, int index, int count) {
  if (count < 1 || index < 1 || index > count) return {0, size};
  const auto boundary = [&](int k) {
    return static_cast<size_t>(static_cast<unsigned long long>(size) * unsigned(k) /
                               unsigned(count));
  };
  return {boundary(index - 1), boundary(index)};
}

int runBatch(const RunSettings& settings) {
  std::vector<BatchScript> scripts =
      collectScripts(settings.all, settings.checkonly, settings.startDirectory);
  if (scripts.empty()) {
    printError("no scripts to run under the --all paths");
    return 1;
  }
  const Slice slice = shardSlice(scripts.size(), settings.shardIndex, settings.shardCount);
  std::vector<BatchScript> mine(scripts.begin() + static_cast<std::ptrdiff_t>(slice.first),
                                scripts.begin() + static_cast<std::ptrdiff_t>(slice.last));
  return Batch(settings, std::move(mine)).run();
}

}  // namespace Velotrax
