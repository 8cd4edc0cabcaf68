#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "command_output.h"

#include "screen_probe.h"

namespace {

// The number after "label" in xwininfo's output, or -1.
std::int64_t field(const std::string& text, const std::string& label) {
  const std::size_t at = text.find(label);
  if (at == std::string::npos) return -1;
  std::istringstream value(text.substr(at + label.size()));
  std::int64_t number = -1;
  value >> number;
  return number;
}

}  // namespace

ScreenPlacement placementOf(std::int64_t nativeWindow) {
  const std::string id = std::to_string(nativeWindow);
  const std::string info = commandOutput("xwininfo -id " + id);
  ScreenPlacement placement;
  placement.x = field(info, "Absolute upper-left X:");
  placement.y = field(info, "Absolute upper-left Y:");
  placement.width = field(info, "Width:");
  placement.height = field(info, "Height:");
  // Motif hints: flags 2 (decorations given), decorations 0.
  const std::string hints = commandOutput("xprop -id " + id + " _MOTIF_WM_HINTS");
  placement.frameless = hints.find("= 0x2, 0x0, 0x0") != std::string::npos;
  return placement;
}

void screenSize(std::int64_t nativeWindow, std::int64_t& width, std::int64_t& height) {
  const std::string root = commandOutput("xwininfo -root -id " + std::to_string(nativeWindow));
  width = field(root, "Width:");
  height = field(root, "Height:");
}
