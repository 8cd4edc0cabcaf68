#include "captured_output.h"

#include <unistd.h>

#include <stdexcept>

#include "common/messages.h"

namespace Velotrax {

CapturedOutput::CapturedOutput() {
  enableConsoleMode();
  for (Stream* s : {&out_, &err_}) {
    std::fflush(s->stream);
    s->file = std::tmpfile();
    if (!s->file) throw std::runtime_error("no temporary file for captured output");
    s->saved = dup(fileno(s->stream));
    dup2(fileno(s->file), fileno(s->stream));
  }
}

CapturedOutput::~CapturedOutput() {
  for (Stream* s : {&out_, &err_}) {
    std::fflush(s->stream);
    dup2(s->saved, fileno(s->stream));
    close(s->saved);
    std::fclose(s->file);
  }
}

std::string CapturedOutput::contents(const Stream& s) {
  std::fflush(s.stream);
  std::string text;
  std::rewind(s.file);
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, s.file)) > 0;) text.append(buffer, n);
  std::fseek(s.file, 0, SEEK_END);
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
  return lines;
}

std::string CapturedOutput::out() const {
  return contents(out_);
}
std::string CapturedOutput::err() const {
  return contents(err_);
}

}  // namespace Velotrax
