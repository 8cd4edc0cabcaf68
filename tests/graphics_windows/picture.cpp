#include "picture.h"

#include <png.h>

int64_t Picture::count(Rgb color) const {
  int64_t n = 0;
  for (const auto& p : pixels) n += p == color;
  return n;
}

int64_t Picture::countOutside(Rgb color, int x0, int y0, int x1, int y1) const {
  int64_t n = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if ((x < x0 || x >= x1 || y < y0 || y >= y1) && at(x, y) == color) ++n;
  return n;
}

Picture readPicture(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Picture picture;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
  image.format = PNG_FORMAT_RGB;
  std::vector<Rgb> pixels(static_cast<size_t>(image.width) * image.height);
  if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.pixels = std::move(pixels);
  }
  png_image_free(&image);
  return picture;
}

bool writeGrayPng(const std::string& path, int width, int height,
                  const std::vector<uint8_t>& gray) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_GRAY;
  return png_image_write_to_file(&image, path.c_str(), 0, gray.data(), width, nullptr) != 0;
}

std::string describe(Rgb color) {
  return std::to_string(color.r) + "," + std::to_string(color.g) + "," + std::to_string(color.b);
}
