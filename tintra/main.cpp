// tintra: writes its arguments in console colours chosen by the options before them.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "os/console_output.h"
#include "os/process.h"
#include "os/standard_output.h"

namespace {

constexpr std::string_view kProgram = "tintra";
constexpr int kHelp = -1;
constexpr int kRestore = -2;

struct OptionEntry {
  std::string_view name;
  int attribute;  // console attribute bits, or kHelp / kRestore
  std::string_view description;
};

constexpr std::array<OptionEntry, 10> kOptions = {{
    {"--help", kHelp, "show help"},
    {"--fgred", 4, "foreground red"},
    {"--fggreen", 2, "foreground green"},
    {"--fgblue", 1, "foreground blue"},
    {"--fgint", 8, "foreground intensified"},
    {"--bgred", 64, "background red"},
    {"--bggreen", 32, "background green"},
    {"--bgblue", 16, "background blue"},
    {"--bgint", 128, "background intensified"},
    {"--default", kRestore, "restore default foreground and background"},
}};

const OptionEntry* findOption(std::string_view argument) {
  for (const OptionEntry& entry : kOptions)
    if (entry.name == argument) return &entry;
  return nullptr;
}

bool asksForHelp(std::string_view argument) {
  return argument == "--help" || argument == "-h" || argument == "/?" || argument == "-?" ||
         argument == "/h";
}

// Said on standard error, plainly, when standard output first refuses text.
void reportRefusedOutput(const Velotrax::os::OsFailure& failure) {
  const std::string message = "could not write to standard output" +
                              (failure.code ? ": " + failure.text : std::string()) + "\n";
  std::fwrite(message.data(), 1, message.size(), stderr);
  std::fflush(stderr);
}

void writeOut(std::string_view text) {
  Velotrax::os::writeStandardOutput(text);
}

void writeUsage() {
  std::size_t longest = 0;
  for (const OptionEntry& entry : kOptions) longest = std::max(longest, entry.name.size());
  std::string usage = std::string(kProgram) + " - Print colored text to Windows console.\n";
  usage += "usage: " + std::string(kProgram) + " [color1] [color2...] <text>\n";
  for (const OptionEntry& entry : kOptions) {
    usage += std::string(entry.name) + std::string(longest - entry.name.size() + 6, ' ');
    usage += std::string(entry.description) + "\n";
  }
  usage += "\nexample: " + std::string(kProgram) +
           " --fgred Hello --fgblue --bggreen \" World\" --default \":\\nAnother text\"\n";
  writeOut(usage);
}

// Backslash followed by n becomes a line feed, left to right without overlap; nothing else.
std::string expandLineBreaks(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      result += '\n';
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

int run(int argc, char* argv[]) {
  if (argc < 2) {
    writeUsage();
    return 1;
  }
  for (int i = 1; i < argc; ++i) {
    if (asksForHelp(argv[i])) {
      writeUsage();
      return 0;
    }
  }

  auto console = Velotrax::os::ConsoleColour::forStandardOutput();
  const std::uint16_t saved = console->current().value_or(0);
  std::uint16_t current = 0;
  for (int i = 1; i < argc; ++i) {
    if (const OptionEntry* option = findOption(argv[i])) {
      if (option->attribute == kRestore)
        current = saved;
      else if (option->attribute != kHelp)
        current |= static_cast<std::uint16_t>(option->attribute);
      continue;
    }
    console->set(current);
    writeOut(expandLineBreaks(argv[i]));
  }
  writeOut("\n");
  console->set(saved);
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  Velotrax::os::onStandardOutputRefused(reportRefusedOutput);
  Velotrax::os::holdStandardDescriptors();
  Velotrax::os::exitNow(run(argc, argv));
}
