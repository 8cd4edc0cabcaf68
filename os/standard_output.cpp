// The same on both platforms: the runtime library's stream and its error flag.
#include "standard_output.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Velotrax::os {

namespace {

// Set at the first refusal; the process fails from then on.
std::atomic<bool> refused{false};
std::atomic<StandardOutputRefusal> reporter{nullptr};

bool noteOutcome(const char* step, bool written) {
  if (written) return !refused.load();
  const int error = errno;
  if (error == EPIPE) _exit(1);
  const StandardOutputRefusal report = reporter.load();
  if (!refused.exchange(true) && report)
    report(OsFailure{step, error, error ? std::strerror(error) : ""});
  return false;
}

}  // namespace

void onStandardOutputRefused(StandardOutputRefusal report) {
  reporter.store(report);
}

bool writeStandardOutput(std::string_view text) {
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return noteOutcome("fwrite", std::fflush(stdout) == 0 && written && !std::ferror(stdout));
}

bool flushStandardOutput() {
  errno = 0;
  return noteOutcome("fflush", std::fflush(stdout) == 0 && !std::ferror(stdout));
}

}  // namespace Velotrax::os
