// Text file output: open_file, fwrite_string, fnew_line, close_file.
// 'standard' and 'error' name the console's output and error streams.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "errors.h"
#include "handle_table.h"
#include "operators.h"
#include "run_limits.h"
#include "system_state.h"
#include "tuple_ops.h"

namespace standin {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

struct OpenFile {
  FilePtr owned;  // null for the console streams
  std::FILE* stream = nullptr;
};

HandleTable<OpenFile>& table() {
  static HandleTable<OpenFile> files(1, err::kFileHandle);
  return files;
}

void openFile(OpCall& c) {
  const char* op = "open_file";
  const std::string& name = scalarText(c.ctrlIn[0], 1, op);
  const std::string& type = scalarText(c.ctrlIn[1], 2, op);
  OpenFile file;
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

// Runs fn on the stream of the handle in parameter 1, under the table lock.
template <typename Fn>
void withFile(const Value& handle, const char* op, Fn fn) {
  table().with(scalarInt(handle, 1, op), op, fn);
}

void fwriteString(OpCall& c) {
  std::string text;
  for (size_t i = 0; i < c.ctrlIn[1].size(); ++i) text += elementText(c.ctrlIn[1].elementAt(i));
  withFile(c.ctrlIn[0], "fwrite_string",
           [&](OpenFile& f) { std::fwrite(text.data(), 1, text.size(), f.stream); });
}

void fnewLine(OpCall& c) {
  withFile(c.ctrlIn[0], "fnew_line", [](OpenFile& f) {
    std::fputc('\n', f.stream);
    std::fflush(f.stream);
  });
}

void closeFile(OpCall& c) {
  const char* op = "close_file";
  table().remove(scalarInt(c.ctrlIn[0], 1, op), op, [](OpenFile& f) { std::fflush(f.stream); });
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
