#include "junit_report.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "common/messages.h"
#include "os/file_io.h"

namespace Velotrax {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the valid UTF-8 sequence at the start of `text`, or 0.
size_t sequenceLength(std::string_view text) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  size_t length;
  char32_t code;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3F);
  }
  const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  const bool allowed = code >= smallest[length] && code <= 0x10FFFF &&
                       !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE && code != 0xFFFF;
  return allowed ? length : 0;
}

// Seconds as the report writes them: three decimals.
std::string secondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds < 0 ? 0.0 : seconds);
  return text;
}

void element(std::string& xml, const char* name, const std::string& text) {
  if (text.empty()) return;
  xml += "      <";
  xml += name;
  xml += ">";
  xml += xmlText(text);
  xml += "</";
  xml += name;
  xml += ">\n";
}

void testcase(std::string& xml, const RunRecord& run) {
  xml += "    <testcase classname=\"" + xmlText(run.className, true) + "\" name=\"" +
         xmlText(run.name, true) + "\" time=\"" + secondsText(run.seconds) + "\">\n";
  if (!run.passed) {
    xml += "      <failure message=\"" + xmlText(run.failureMessage, true) + "\" type=\"" +
           xmlText(run.failureType, true) + "\">" + xmlText(run.failureText) + "</failure>\n";
  }
  // Pictures as attachments, in the form Jenkins and GitLab read from the output.
  std::string out = run.out;
  for (const std::string& attachment : run.attachments)
    out += "[[ATTACHMENT|" + attachment + "]]\n";
  element(xml, "system-out", out);
  element(xml, "system-err", run.err);
  xml += "    </testcase>\n";
}

}  // namespace

std::string xmlText(std::string_view text, bool attribute) {
  std::string xml;
  xml.reserve(text.size());
  while (!text.empty()) {
    const char c = text.front();
    const size_t length = sequenceLength(text);
    if (length == 0) {
      xml += kReplacement;
      text.remove_prefix(1);
      continue;
    }
    if (length > 1) {
      xml += text.substr(0, length);
    } else if (c == '<') {
      xml += "&lt;";
    } else if (c == '>') {
      xml += "&gt;";
    } else if (c == '&') {
      xml += "&amp;";
    } else if (c == '"' && attribute) {
      xml += "&quot;";
    } else if ((c == '\n' || c == '\r' || c == '\t') && attribute) {
      // Kept as references: a parser would turn them into spaces.
      xml += c == '\n' ? "&#10;" : c == '\r' ? "&#13;" : "&#9;";
    } else if (c == '\r') {
      xml += "&#13;";  // a parser would drop it from a line end
    } else if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
      xml += escaped;
    } else {
      xml += c;
    }
    text.remove_prefix(length);
  }
  return xml;
}

std::string junitReport(const std::vector<RunRecord>& runs, const std::string& timestamp) {
  size_t failures = 0;
  double seconds = 0;
  for (const RunRecord& run : runs) {
    failures += run.passed ? 0 : 1;
    seconds += run.seconds;
  }
  const std::string counts = "tests=\"" + std::to_string(runs.size()) + "\" failures=\"" +
                             std::to_string(failures) + "\" errors=\"0\" skipped=\"0\" time=\"" +
                             secondsText(seconds) + "\"";
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  xml += "<testsuites name=\"" + std::string(kProductName) + "\" " + counts + ">\n";
  xml += "  <testsuite name=\"" + std::string(kProductName) + "\" " + counts + " timestamp=\"" +
         timestamp + "\">\n";
  for (const RunRecord& run : runs) testcase(xml, run);
  xml += "  </testsuite>\n</testsuites>\n";
  return xml;
}

std::string reportTimestamp() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm parts{};
  if (const std::tm* utc = std::gmtime(&now)) parts = *utc;
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
  return text;
}

bool writeJunitReport(const std::string& path, const std::vector<RunRecord>& runs,
                      const std::string& timestamp) {
  const std::optional<os::OsFailure> failure = os::replaceFile(path, junitReport(runs, timestamp));
  if (!failure) return true;
  printError("could not write the report " + path + ": " + failure->text);
  return false;
}

}  // namespace Velotrax
