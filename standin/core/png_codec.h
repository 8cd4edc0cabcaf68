// PNG files through libpng: window pictures out, 8-bit grey images in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// Encodes 8-bit RGB pixels, row by row, as a PNG file in memory; false with the reason on
// failure.
bool encodePngRgb(int width, int height, const uint8_t* rgb, std::vector<uint8_t>& png,
                  std::string& error);

struct GrayImage {
  int64_t width = 0, height = 0;
  std::vector<uint8_t> pixels;
};

// Decodes an 8-bit grey, RGB or palette PNG without transparency into grey values (RGB as
// 0.299 R + 0.587 G + 0.114 B). Images with a side over maxSide, or over maxPixels pixels,
// are refused before any pixel is decoded.
bool decodePngGray(const uint8_t* data, size_t size, int64_t maxSide, int64_t maxPixels,
                   GrayImage& image, std::string& error);

}  // namespace standin
