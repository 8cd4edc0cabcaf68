#include "run_record.h"

#include <boost/filesystem/path.hpp>
#include <charconv>
#include <cstdio>

namespace Velotrax {

namespace {

// Each field is its length in decimal, a line break, its bytes and a line break.
void put(std::string& into, std::string_view field) {
  into += std::to_string(field.size());
  into += '\n';
  into += field;
  into += '\n';
}

class Reader {
 public:
  explicit Reader(std::string_view text) : rest_(text) {}

  bool take(std::string& field) {
    const size_t end = rest_.find('\n');
    size_t length = 0;
    if (end == std::string_view::npos ||
        std::from_chars(rest_.data(), rest_.data() + end, length).ptr != rest_.data() + end)
      return false;
    rest_.remove_prefix(end + 1);
    if (length >= rest_.size() || rest_[length] != '\n') return false;
    field.assign(rest_.substr(0, length));
    rest_.remove_prefix(length + 1);
    return true;
  }
  bool atEnd() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

}  // namespace

void takeCapture(RunRecord& record, MessageCapture&& capture) {
  record.out = std::move(capture.out);
  record.err = std::move(capture.err);
  if (record.passed || !record.failureMessage.empty()) return;
  record.failureType = kPlainFailure;
  record.failureMessage = capture.lastError.substr(0, capture.lastError.find('\n'));
  if (record.failureText.empty()) record.failureText = capture.lastError;
}

std::string scriptClassName(const std::string& scriptPath, const std::string& startDirectory) {
  namespace fs = boost::filesystem;
  const fs::path script(scriptPath);
  fs::path relative;
  if (!startDirectory.empty() && script.is_absolute()) {
    relative = script.lexically_relative(fs::path(startDirectory));
    if (!relative.empty() && *relative.begin() == "..") relative.clear();
  }
  std::string name = (relative.empty() ? script : relative).generic_string();
  return name;
}

std::string serialized(const RunRecord& record) {
  std::string text;
  put(text, record.className);
  put(text, record.name);
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.6f", record.seconds);
  put(text, seconds);
  put(text, record.passed ? "1" : "0");
  for (const std::string* field : {&record.failureMessage, &record.failureType, &record.failureText,
                                   &record.out, &record.err, &record.resultLine})
    put(text, *field);
  put(text, std::to_string(record.attachments.size()));
  for (const std::string& attachment : record.attachments) put(text, attachment);
  return text;
}

std::optional<RunRecord> deserialized(std::string_view text) {
  Reader reader(text);
  RunRecord record;
  std::string seconds, passed, count;
  if (!reader.take(record.className) || !reader.take(record.name) || !reader.take(seconds) ||
      !reader.take(passed))
    return std::nullopt;
  for (std::string* field : {&record.failureMessage, &record.failureType, &record.failureText,
                             &record.out, &record.err, &record.resultLine})
    if (!reader.take(*field)) return std::nullopt;
  size_t attachments = 0;
  if (!reader.take(count) ||
      std::from_chars(count.data(), count.data() + count.size(), attachments).ptr !=
          count.data() + count.size() ||
      attachments > text.size())
    return std::nullopt;
  record.attachments.resize(attachments);
  for (std::string& attachment : record.attachments)
    if (!reader.take(attachment)) return std::nullopt;
  if (!reader.atEnd()) return std::nullopt;
  record.seconds = std::strtod(seconds.c_str(), nullptr);
  record.passed = passed == "1";
  return record;
}

}  // namespace Velotrax
