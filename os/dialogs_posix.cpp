// Without a GUI, boxes and the file dialog live on the terminal and never block a script or pipe.
#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

#include "dialogs.h"

namespace Velotrax::os {

void showMessageBox(std::string_view caption, std::string_view text, BoxIcon) {
  const std::string block = std::string(caption) + "\n" + std::string(text) + "\n";
  std::fwrite(block.data(), 1, block.size(), stderr);
  std::fflush(stderr);
}

std::string askOpenFileName(std::string_view title, const std::vector<FileFilter>& filters) {
  if (isatty(STDIN_FILENO) != 1) return {};
  std::string prompt = std::string(title) + "\n";
  for (const FileFilter& filter : filters) prompt += "  " + filter.shown + "\n";
  prompt += "File name (empty to cancel): ";
  std::fwrite(prompt.data(), 1, prompt.size(), stderr);
  std::fflush(stderr);
  std::string line;
  if (!std::getline(std::cin, line)) return {};
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace Velotrax::os
