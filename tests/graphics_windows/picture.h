// RGB pictures for window tests: PNG files read and written with libpng, independently of
// the library's own PNG code, and pixel comparisons.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

struct Picture {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;

  Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // Number of pixels of that colour.
  int64_t count(Rgb color) const;
  // Number of pixels of that colour outside [x0, x1) x [y0, y1).
  int64_t countOutside(Rgb color, int x0, int y0, int x1, int y1) const;
};

// The PNG file as RGB; an empty picture when it cannot be read.
Picture readPicture(const std::string& path);

// Writes an 8-bit grey PNG, row by row.
bool writeGrayPng(const std::string& path, int width, int height, const std::vector<uint8_t>& gray);

// "r,g,b" for failure messages.
std::string describe(Rgb color);
