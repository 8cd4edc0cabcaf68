#include <cstdio>
#include <string>

#include <unistd.h>

#include "console_output.h"
#include "standard_output.h"
#include "terminal_posix.h"

namespace Velotrax::os {

namespace {

constexpr std::uint16_t kTerminalDefault = 0x07;  // grey on black: what a reset shows
constexpr const char* kBrightRed = "\x1b[91m";
constexpr const char* kReset = "\x1b[0m";

void writeError(const std::string& block) {
  std::fwrite(block.data(), 1, block.size(), stderr);
  std::fflush(stderr);
}

// SGR colour index: ANSI orders red/green/blue as bits 1/2/4, the console word as 4/2/1.
int ansiIndex(unsigned bits) {
  return ((bits & 4) ? 1 : 0) | (bits & 2) | ((bits & 1) ? 4 : 0);
}

std::string sgr(std::uint16_t attributes) {
  if (attributes == kTerminalDefault) return kReset;
  const unsigned fg = attributes & 0x0f, bg = (attributes >> 4) & 0x0f;
  const int fgCode = ((fg & 8) ? 90 : 30) + ansiIndex(fg);
  const int bgCode = ((bg & 8) ? 100 : 40) + ansiIndex(bg);
  return "\x1b[0;" + std::to_string(fgCode) + ";" + std::to_string(bgCode) + "m";
}

class TerminalColour final : public ConsoleColour {
 public:
  std::optional<std::uint16_t> current() override {
    if (!enabled_) return std::nullopt;
    return kTerminalDefault;
  }
  bool set(std::uint16_t attributes) override {
    if (!enabled_) return false;
    std::fputs(sgr(attributes).c_str(), stdout);
    return true;
  }

 private:
  bool enabled_ = colourWanted(STDOUT_FILENO);
};

}  // namespace

void writeNormalLine(std::string_view text) {
  writeStandardOutput(std::string(text) + "\n");
}

void writeErrorLine(std::string_view text) {
  // Colour, text and reset leave in one write, so nothing can land between them.
  if (colourWanted(STDERR_FILENO))
    writeError(kBrightRed + std::string(text) + kReset + "\n");
  else
    writeError(std::string(text) + "\n");
}

std::unique_ptr<ConsoleColour> ConsoleColour::forStandardOutput() {
  return std::make_unique<TerminalColour>();
}

}  // namespace Velotrax::os
