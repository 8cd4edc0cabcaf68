// Text file output: open_file, fwrite_string, fnew_line, close_file.
// 'standard' and 'error' name the console's output and error streams.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "errors.h"
#include "handle_table.h"
#include "operators.h"
#include "run_limits.h"
#include "system_state.h"
#include "tuple_arithmetic.h"

namespace standin {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

struct OpenFile {
  std::string name;  // as the script gave it, for messages
  FilePtr owned;     // null for the console streams
  std::FILE* stream = nullptr;
};

HandleTable<OpenFile>& table() {
  static HandleTable<OpenFile> files(1, err::kFileHandle);
  return files;
}

// A write or close the system refused: the file and the system's reason go with the error.
[[noreturn]] void writeFailed(const char* op, const std::string& name, int error) {
  noteExtendedInfo(op, err::kFileWrite,
                   "'" + name + "': " + (error ? std::strerror(error) : "write error"));
  raise(op, err::kFileWrite);
}

void openFile(OpCall& c) {
  const char* op = "open_file";
  const std::string& name = scalarText(c.ctrlIn[0], 1, op);
  const std::string& type = scalarText(c.ctrlIn[1], 2, op);
  OpenFile file;
  file.name = name;
  if (type != "output" && type != "append") raise(op, err::kWrongValue + 2);
  if (name == "standard") {
    file.stream = stdout;
  } else if (name == "error") {
    file.stream = stderr;
  } else {
    if (!runLimits().fileOutput) raise(op, err::kFileOutput);
    file.owned.reset(std::fopen(name.c_str(), type == "output" ? "w" : "a"));
    if (!file.owned) {
      noteExtendedInfo(op, err::kFileOpen, "'" + name + "': " + std::strerror(errno));
      raise(op, err::kFileOpen);
    }
    file.stream = file.owned.get();
  }
  c.ctrlOut[0] = Value::ofInt(table().add(std::move(file)));
}

// Runs fn on the file of the handle in parameter 1 under the table lock, then hands what fn
// wrote to the system at once: a full disk or an I/O error fails this operator, and nothing
// waits in a buffer that a process ending without clean-up would drop.
template <typename Fn>
void writeToFile(const Value& handle, const char* op, Fn fn) {
  table().with(scalarInt(handle, 1, op), op, [&](OpenFile& f) {
    errno = 0;
    fn(f.stream);
    const bool flushed = std::fflush(f.stream) == 0;
    if (!flushed || std::ferror(f.stream)) {
      const int error = errno;
      std::clearerr(f.stream);
      writeFailed(op, f.name, error);
    }
  });
}

void fwriteString(OpCall& c) {
  std::string text;
  for (size_t i = 0; i < c.ctrlIn[1].size(); ++i) text += elementText(c.ctrlIn[1].elementAt(i));
  writeToFile(c.ctrlIn[0], "fwrite_string",
              [&](std::FILE* f) { std::fwrite(text.data(), 1, text.size(), f); });
}

void fnewLine(OpCall& c) {
  writeToFile(c.ctrlIn[0], "fnew_line", [](std::FILE* f) { std::fputc('\n', f); });
}

// The handle is gone afterwards whatever happens; a failed flush or close still fails the call.
void closeFile(OpCall& c) {
  const char* op = "close_file";
  OpenFile file = table().take(scalarInt(c.ctrlIn[0], 1, op), op);
  errno = 0;
  bool written = std::fflush(file.stream) == 0 && !std::ferror(file.stream);
  int error = errno;
  if (file.owned && std::fclose(file.owned.release()) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!file.owned) std::clearerr(file.stream);
  if (!written) writeFailed(op, file.name, error);
}

const OperatorDef kTable[] = {
    {"open_file", 0, 0, 2, 1, openFile},
    {"fwrite_string", 0, 0, 2, 0, fwriteString},
    {"fnew_line", 0, 0, 1, 0, fnewLine},
    {"close_file", 0, 0, 1, 0, closeFile},
};

}  // namespace

std::span<const OperatorDef> fileOperators() {
  return kTable;
}

}  // namespace standin
