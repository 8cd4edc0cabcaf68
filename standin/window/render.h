// Drawing into a window's picture: byte images through the window's image part (nearest
// neighbour), regions filled or as their margin, and boxed text.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "framebuffer.h"
#include "object.h"

namespace standin::window {

// The image part (rows row1..row2, columns col1..col2) stretched over a window's pixels.
struct View {
  int width, height;
  double row1, col1, row2, col2;

  // Window pixel row / column showing image row / column coordinate v.
  double windowY(double row) const { return (row - row1) * height / (row2 - row1 + 1); }
  double windowX(double col) const { return (col - col1) * width / (col2 - col1 + 1); }
};

// A window pixel position from a coordinate: rounded, far-off values held at a safe distance.
int64_t pixelOf(double coordinate);

// The window rows [first, last) showing image rows a..b, or columns when horizontal.
std::pair<int64_t, int64_t> windowSpan(const View& view, int64_t a, int64_t b, bool horizontal);

// Shows a byte image; window pixels outside it take the background. inverse shows 255 - g.
void drawImage(Framebuffer& fb, const View& view, const IconicItem& image, bool inverse,
               Rgba background);

// Shows a region filled, or its margin lineWidth pixels wide.
void drawRegion(Framebuffer& fb, const View& view, std::span<const RegionRun> runs, Rgba color,
                bool margin, int lineWidth);

struct TextStyle {
  std::vector<Rgba> colors;  // line i takes colors[i % size]
  std::optional<Rgba> box;
  std::optional<Rgba> shadow;
};

// Draws lines in a box whose top-left corner is window pixel (x, y).
void drawText(Framebuffer& fb, int64_t x, int64_t y, std::span<const std::string> lines,
              const TextStyle& style);

}  // namespace standin::window
