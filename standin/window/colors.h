// Colours of the window operators: names, '#rrggbb' / '#rrggbbaa' texts and the cycles of
// set_colored.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace standin::window {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 255;
  bool operator==(const Rgba&) const = default;
};

// The colour a name or hexadecimal text stands for; nothing when it is unknown.
std::optional<Rgba> parseColor(std::string_view text);

// The names set_colored (n = 3, 6 or 12) cycles through; empty for other n.
std::span<const char* const> coloredCycle(int64_t n);

}  // namespace standin::window
