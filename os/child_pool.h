// Many copies of this program at once, each with variables of its own and its output in a file:
// the workers of a batch. While a pool exists, a terminating signal (Ctrl+C) does not end the
// process: the pool's wait reports it, so the caller can end the children and finish its work.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "system_error.h"

namespace Velotrax::os {

using Variables = std::vector<std::pair<std::string, std::string>>;

struct PoolWait {
  enum class Kind { ended, timedOut, interrupted };
  Kind kind = Kind::timedOut;
  int child = -1;       // ended: the child's number, as start gave it
  bool exited = false;  // ended: it exited by itself, with `status`
  int status = 0;       // its exit status; otherwise the signal or code that ended it
  int signal = 0;       // interrupted: the signal's number (POSIX), 0 for Ctrl+C on Windows
};

class ChildPool {
 public:
  static std::unique_ptr<ChildPool> create();
  // Ends every child still running.
  virtual ~ChildPool() = default;

  // The most children the pool can wait for at once.
  virtual size_t capacity() const = 0;

  // Starts this program's executable with the same command line, the child marker and
  // `variables`, standard input empty and standard output and error written to `outputPath`.
  // Gives the child's number.
  virtual OsResult<int> start(const Variables& variables, const std::string& outputPath) = 0;

  // Waits at most `timeoutMs` (-1: no limit) for a child to end or a terminating signal. An
  // ended child is reaped, together with whatever it left running.
  virtual OsResult<PoolWait> wait(int timeoutMs) = 0;

  // Ends the child and whatever it started, and reaps it.
  virtual void kill(int child) = 0;
};

}  // namespace Velotrax::os
