#include "run_recorder.h"

#include <boost/filesystem/operations.hpp>

#include "junit_report.h"
#include "os/clock.h"
#include "os/environment.h"
#include "os/file_io.h"

namespace Velotrax {

namespace {

namespace fs = boost::filesystem;

// A name in the temporary directory no other run uses.
std::string temporaryRecordPath() {
  boost::system::error_code error;
  const fs::path directory = fs::temp_directory_path(error);
  return ((error ? fs::path(".") : directory) / fs::unique_path("velotrax-%%%%-%%%%-%%%%.record"))
      .string();
}

void removeFile(const std::string& path) {
  boost::system::error_code ignored;
  fs::remove(path, ignored);
}

}  // namespace

RunRecorder::RunRecorder(const RunRequest& request) : request_(request) {
  const RunSettings& settings = request.settings;
  if (settings.isChildProcess)
    recordPath_ = os::getEnvironment(kRunRecordVariable);
  else
    reportPath_ = settings.report;
}

RunRecorder::~RunRecorder() {
  captureMessages(nullptr);
  if (!childRecordPath_.empty()) removeFile(childRecordPath_);
}

void RunRecorder::begin(bool inChild) {
  inChild_ = inChild;
  if (!wanted()) return;
  const LocatedScript& script = request_.script;
  record_ = RunRecord{};
  record_.className = scriptClassName(
      script.scriptPath.empty() ? request_.settings.scriptArgument : script.scriptPath,
      request_.settings.startDirectory);
  record_.name = script.procedureName.empty() ? "main" : script.procedureName;
  timestamp_ = reportTimestamp();
  startNs_ = os::monotonicNanoseconds();
  if (inChild_) {
    if (childRecordPath_.empty()) {
      childRecordPath_ = temporaryRecordPath();
      os::setEnvironment(kRunRecordVariable, childRecordPath_);
    }
    removeFile(childRecordPath_);
  } else {
    capture_ = MessageCapture{};
    captureMessages(&capture_);
  }
}

bool RunRecorder::end(bool ok, int elapsedMs) {
  captureMessages(nullptr);
  const std::string resultLine = reportRunResult(request_, ok, elapsedMs);
  return !wanted() || deliver(ok, resultLine);
}

void RunRecorder::abandon(const std::string& what) {
  captureMessages(nullptr);
  if (!wanted()) return;
  if (record_.failureMessage.empty()) {
    record_.failureMessage = what.substr(0, what.find('\n'));
    record_.failureType = kPlainFailure;
    record_.failureText = what;
  }
  deliver(false, "");
}

bool RunRecorder::deliver(bool ok, const std::string& resultLine) {
  const double seconds = static_cast<double>(os::monotonicNanoseconds() - startNs_) / 1e9;
  if (inChild_) {
    const os::OsResult<std::string> text = os::readRegularFile(childRecordPath_);
    std::optional<RunRecord> handed = text ? deserialized(*text) : std::nullopt;
    // A child ended on a change has nothing to say.
    if (!handed && ok) return true;
    if (handed) {
      record_ = std::move(*handed);
    } else if (record_.failureMessage.empty()) {
      record_.failureType = "crash";
      record_.failureMessage = "the child process ended without a result";
    }
    record_.passed = ok && record_.passed;
  } else {
    record_.passed = ok;
    takeCapture(record_, std::move(capture_));
  }
  record_.seconds = seconds;
  if (!resultLine.empty()) record_.resultLine = resultLine;

  if (!recordPath_.empty()) {
    // The parent reads a missing record as a crash: nothing more to do on failure.
    [[maybe_unused]] const auto failure = os::writeScratchFile(recordPath_, serialized(record_));
    return true;
  }
  return writeJunitReport(reportPath_, {record_}, timestamp_);
}

}  // namespace Velotrax
