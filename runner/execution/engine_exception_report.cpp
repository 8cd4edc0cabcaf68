#include "engine_exception_report.h"

#include <boost/regex.hpp>
#include <sstream>
#include <string>

#include "common/messages.h"
#include "execution/import_scanner.h"

namespace Velotrax {

namespace {

// The engine's code for a script it refuses to load.
constexpr int32_t kLoadErrorCode = 4;

// How many lines before and after the failing line are shown.
constexpr int kLinesBefore = 3;
constexpr int kLinesAfter = 2;

// The load messages that name the failing line. Boost's matcher keeps no stack per character;
// '^' anchors at the start of the message only, as in ECMAScript.
const boost::regex& loadDiagnostic(int which) {
  constexpr auto flags = boost::regex::ECMAScript | boost::regex::no_mod_m;
  static const boost::regex patterns[] = {
      boost::regex("^Error\\(s\\) in procedure '[A-Za-z0-9_]+':\\s*there (is an|are) invalid "
                   "program lines?: ([0-9]+)",
                   flags),
      boost::regex("^Error\\(s\\) in procedure '[A-Za-z0-9_]+':\\s*there (is an|are) unresolved "
                   "procedure calls?: ([0-9]+)",
                   flags)};
  return patterns[which];
}

// The procedure whose lines are shown: a program's "main (file)" is its main procedure.
std::string procedureOf(const std::string& name) {
  const bool programMain =
      name.size() >= 8 && name.compare(0, 4, "main") == 0 && name.back() == ')';
  return programMain ? "main" : name;
}

}  // namespace

std::string reportEngineException(const HDEException& exception, const ScriptSearch& search,
                                  const std::string& scriptPath) {
  const EngineErrorRecord& record = exception.record();
  std::ostringstream report;
  report << "caught an unhandled exception while executing \"" << scriptPath
         << "\": " << exception.what() << "\n";

  int32_t line = record.progLine;
  bool fromMessage = false;
  if (line == -1 && record.errorCode == kLoadErrorCode && record.message) {
    boost::cmatch match;
    for (int which = 0; which < 2 && !fromMessage; ++which) {
      if (boost::regex_search(record.message, match, loadDiagnostic(which))) {
        line = std::stoi(match[2].str());  // out of range: the report is dropped
        fromMessage = true;
      }
    }
  }

  if (line > 0 && record.procName) {
    const std::vector<std::string> lines =
        findProcedureLines(search, scriptPath, procedureOf(record.procName));
    report << "\n";
    for (int64_t i = int64_t{line} - kLinesBefore; i <= int64_t{line} + kLinesAfter; ++i) {
      if (i < 1 || i > static_cast<int64_t>(lines.size())) continue;
      report << lines[static_cast<size_t>(i - 1)];
      if (i == line) {
        report << " <------------";
        if (!fromMessage && record.errorText) report << record.errorText;
      }
      report << "\n";
    }
  }
  printError(report);
  return report.str();
}

}  // namespace Velotrax
