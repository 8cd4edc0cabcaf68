// Captures what the process writes to standard output and standard error, for checking whole
// console messages in-process. Turns console mode on, as the option step would.
#pragma once

#include <cstdio>
#include <string>

namespace Velotrax {

class CapturedOutput {
 public:
  CapturedOutput();
  ~CapturedOutput();
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  // Everything written so far (Windows line ends read as "\n").
  std::string out() const;
  std::string err() const;

 private:
  struct Stream {
    std::FILE* stream;
    std::FILE* file = nullptr;
    int saved = -1;
  };
  static std::string contents(const Stream& s);
  Stream out_{stdout};
  Stream err_{stderr};
};

}  // namespace Velotrax
