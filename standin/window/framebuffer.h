// The picture of one window: 8-bit RGB pixels, row by row, and the area changed since the
// screen was last brought up to date.
#pragma once

#include <cstdint>
#include <vector>

#include "colors.h"

namespace standin::window {

// Half-open pixel rectangle [x0, x1) x [y0, y1); empty when x0 >= x1 or y0 >= y1.
struct Rect {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

class Framebuffer {
 public:
  Framebuffer(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  // Row y: width() RGB triples.
  const uint8_t* row(int y) const { return &pixels_[static_cast<size_t>(y) * width_ * 3]; }
  // The pixel at (x, y); both must lie inside.
  Rgba at(int x, int y) const;

  // Paints every pixel, ignoring alpha.
  void fill(Rgba color);
  // Paints [x0, x1) x [y0, y1), clipped to the picture, blending by alpha.
  void fillRect(int64_t x0, int64_t y0, int64_t x1, int64_t y1, Rgba color);
  // Writes one opaque pixel inside the picture.
  void put(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* p = &pixels_[(static_cast<size_t>(y) * width_ + x) * 3];
    p[0] = r;
    p[1] = g;
    p[2] = b;
  }
  // Adds an area to the changed one (callers of put() report what they wrote).
  void touch(Rect area);
  // The changed area, which starts empty again.
  Rect takeChanged();

 private:
  int width_, height_;
  std::vector<uint8_t> pixels_;
  Rect changed_;
};

}  // namespace standin::window
