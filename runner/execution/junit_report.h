// The JUnit XML report that CI systems read: one testsuite, one testcase per run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run_record.h"

namespace Velotrax {

// The report of the runs, whole. `timestamp` is when they began, as ISO 8601.
std::string junitReport(const std::vector<RunRecord>& runs, const std::string& timestamp);

// Text as XML character data (or, with `attribute`, as an attribute value): markup characters
// escaped, every byte kept that XML 1.0 can carry. A control character XML cannot carry
// becomes "\xNN"; a byte that is not part of valid UTF-8 becomes U+FFFD.
std::string xmlText(std::string_view text, bool attribute = false);

// The current time, as the report's timestamp (UTC, to the second).
std::string reportTimestamp();

// Writes the report to `path`, replacing the file only once the new one is complete. False,
// after saying so, when it could not be written; the file at `path` is then unchanged.
bool writeJunitReport(const std::string& path, const std::vector<RunRecord>& runs,
                      const std::string& timestamp);

}  // namespace Velotrax
