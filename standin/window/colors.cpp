#include "colors.h"

namespace standin::window {
namespace {

struct NamedColor {
  const char* name;
  Rgba rgba;
};

// The usual names of the library's colour list, with their X11 values.
constexpr NamedColor kNamed[] = {
    {"black", {0, 0, 0}},
    {"white", {255, 255, 255}},
    {"red", {255, 0, 0}},
    {"green", {0, 255, 0}},
    {"blue", {0, 0, 255}},
    {"cyan", {0, 255, 255}},
    {"magenta", {255, 0, 255}},
    {"yellow", {255, 255, 0}},
    {"dim gray", {105, 105, 105}},
    {"gray", {190, 190, 190}},
    {"light gray", {211, 211, 211}},
    {"medium slate blue", {123, 104, 238}},
    {"coral", {255, 127, 80}},
    {"slate blue", {106, 90, 205}},
    {"spring green", {0, 255, 127}},
    {"orange red", {255, 69, 0}},
    {"orange", {255, 165, 0}},
    {"dark olive green", {85, 107, 47}},
    {"pink", {255, 192, 203}},
    {"cadet blue", {95, 158, 160}},
    {"goldenrod", {218, 165, 32}},
    {"forest green", {34, 139, 34}},
    {"khaki", {240, 230, 140}},
    {"indian red", {205, 92, 92}},
    {"navy", {0, 0, 128}},
    {"firebrick", {178, 34, 34}},
};

// set_colored's sequence; 3 and 6 take its beginning.
constexpr const char* kCycle[] = {"red",    "green",     "blue", "cyan",       "magenta",
                                  "yellow", "dim gray",  "gray", "light gray", "medium slate blue",
                                  "coral",  "slate blue"};

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<Rgba> parseHex(std::string_view hex) {
  if (hex.size() != 6 && hex.size() != 8) return std::nullopt;
  uint8_t bytes[4] = {0, 0, 0, 255};
  for (size_t i = 0; i < hex.size(); i += 2) {
    int high = hexDigit(hex[i]), low = hexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes[i / 2] = static_cast<uint8_t>(high * 16 + low);
  }
  return Rgba{bytes[0], bytes[1], bytes[2], bytes[3]};
}

}  // namespace

std::optional<Rgba> parseColor(std::string_view text) {
  if (!text.empty() && text[0] == '#') return parseHex(text.substr(1));
  for (const auto& named : kNamed)
    if (text == named.name) return named.rgba;
  return std::nullopt;
}

std::span<const char* const> coloredCycle(int64_t n) {
  if (n != 3 && n != 6 && n != 12) return {};
  return std::span<const char* const>(kCycle, static_cast<size_t>(n));
}

}  // namespace standin::window
