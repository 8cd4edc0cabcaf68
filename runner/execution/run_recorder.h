// The record of each run, kept when someone wants it: the JUnit report (--report), or the runner
// that started this process as its child. A pass is begun, run, and ended; ending it writes
// the result line and hands the record on.
#pragma once

#include <cstdint>
#include <string>

#include "run_record.h"
#include "script_run.h"

namespace Velotrax {

class RunRecorder {
 public:
  explicit RunRecorder(const RunRequest& request);
  ~RunRecorder();
  RunRecorder(const RunRecorder&) = delete;
  RunRecorder& operator=(const RunRecorder&) = delete;

  // Begins a pass. One that runs in a child asks the child for its record.
  void begin(bool inChild);
  // Where the pass notes what it knows about a failure; null when no record is kept.
  RunRecord* record() { return wanted() ? &record_ : nullptr; }
  // Ends a pass that ended with an exception, whose text is the failure: the record is handed
  // on, and the caller reports the exception as before.
  void abandon(const std::string& what);
  // Ends the pass: the result line, then the record to whoever wants it. A pass in a child that
  // was ended on a change has no record and changes no report. False when the report could not
  // be written.
  bool end(bool ok, int elapsedMs);

 private:
  bool wanted() const { return !reportPath_.empty() || !recordPath_.empty(); }
  // Completes the record from the pass and hands it on; false when the report was not written.
  bool deliver(bool ok, const std::string& resultLine);

  const RunRequest& request_;
  std::string reportPath_;       // --report; empty in a child
  std::string recordPath_;       // the file a parent asked this process to write its record to
  std::string childRecordPath_;  // the file this process asked its child for
  bool inChild_ = false;
  RunRecord record_;
  MessageCapture capture_;
  std::string timestamp_;
  int64_t startNs_ = 0;
};

}  // namespace Velotrax
