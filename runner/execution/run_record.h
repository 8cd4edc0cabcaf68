// What a report says about one run: the script, its outcome, what it printed, and the pictures
// it left. A child process hands its record to the runner that started it as a file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/messages.h"

namespace Velotrax {

// The environment variable that asks a child to write its record to a file.
constexpr const char* kRunRecordVariable = "VELOTRAX_RECORD";

struct RunRecord {
  std::string className;  // the script, relative to the directory the runner started in
  std::string name;       // the procedure; "main" for a program
  double seconds = 0;
  bool passed = false;
  // A failed run: the one-line summary, the kind of failure and the full report.
  std::string failureMessage, failureType, failureText;
  std::string out, err;                  // what the run printed
  std::vector<std::string> attachments;  // pictures, as absolute paths
  std::string resultLine;                // "Execution of ... succeeded (5ms)."
};

// The failure's kind when the run failed for a reason other than an engine error.
constexpr std::string_view kPlainFailure = "error";

// Fills the record's texts from what the run printed. A failure without a summary yet is
// summed up by the first line of the last error message.
void takeCapture(RunRecord& record, MessageCapture&& capture);

// The record's script and procedure as a report names them: the script relative to
// `startDirectory` (as given when outside it), with '/' as separator.
std::string scriptClassName(const std::string& scriptPath, const std::string& startDirectory);

// The record as a child hands it over, and back; nothing when the text is damaged.
std::string serialized(const RunRecord& record);
std::optional<RunRecord> deserialized(std::string_view text);

}  // namespace Velotrax
