#include <cstdio>
#include <string>

#include <windows.h>

#include "console_output.h"
#include "standard_output.h"

namespace Velotrax::os {

namespace {

constexpr WORD kBrightRed = FOREGROUND_RED | FOREGROUND_INTENSITY;

void writeErrorText(std::string_view text) {
  const std::string line = std::string(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

class WindowsConsoleColour final : public ConsoleColour {
 public:
  std::optional<std::uint16_t> current() override {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(handle_, &info)) return std::nullopt;
    return info.wAttributes;
  }
  bool set(std::uint16_t attributes) override {
    // Text already written must reach the console in the colour it was written with.
    flushStandardOutput();
    return SetConsoleTextAttribute(handle_, attributes) != 0;
  }

 private:
  HANDLE handle_ = GetStdHandle(STD_OUTPUT_HANDLE);  // owned by the process, never closed
};

}  // namespace

void writeNormalLine(std::string_view text) {
  writeStandardOutput(std::string(text) + "\n");
}

void writeErrorLine(std::string_view text) {
  // The colour is set on standard output's console; the text goes to standard error, so the two
  // show together only when both are the same console.
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  const WORD saved = GetConsoleScreenBufferInfo(out, &info) ? info.wAttributes : 0;
  flushStandardOutput();
  SetConsoleTextAttribute(out, kBrightRed);
  writeErrorText(text);
  SetConsoleTextAttribute(out, saved);
}

std::unique_ptr<ConsoleColour> ConsoleColour::forStandardOutput() {
  return std::make_unique<WindowsConsoleColour>();
}

}  // namespace Velotrax::os
