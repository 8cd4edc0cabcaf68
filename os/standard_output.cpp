// The same on both platforms: the runtime library's stream and its error flag.
#include "standard_output.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace Velotrax::os {

namespace {

// Set at the first refusal; the process fails from then on.
std::atomic<bool> refused{false};

bool noteOutcome(bool written) {
  if (written) return !refused.load();
  const int error = errno;
  if (error == EPIPE) _exit(1);
  if (!refused.exchange(true)) {
    const std::string message = "could not write to standard output" +
                                (error ? ": " + std::string(std::strerror(error)) : "") + "\n";
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fflush(stderr);
  }
  return false;
}

}  // namespace

bool writeStandardOutput(std::string_view text) {
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return noteOutcome(std::fflush(stdout) == 0 && written && !std::ferror(stdout));
}

bool flushStandardOutput() {
  errno = 0;
  return noteOutcome(std::fflush(stdout) == 0 && !std::ferror(stdout));
}

}  // namespace Velotrax::os
