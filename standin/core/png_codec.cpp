#include "png_codec.h"

#include <png.h>

namespace standin {
namespace {

// Frees what libpng holds for the image, on every path.
struct PngImage {
  png_image image{};
  PngImage() { image.version = PNG_IMAGE_VERSION; }
  ~PngImage() { png_image_free(&image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
};

}  // namespace

bool encodePngRgb(int width, int height, const uint8_t* rgb, std::vector<uint8_t>& png,
                  std::string& error) {
  PngImage image;
  image.image.width = static_cast<png_uint_32>(width);
  image.image.height = static_cast<png_uint_32>(height);
  image.image.format = PNG_FORMAT_RGB;
  // The first call measures, the second encodes.
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&image.image, nullptr, &size, 0, rgb, width * 3, nullptr)) {
    png.resize(size);
    if (png_image_write_to_memory(&image.image, png.data(), &size, 0, rgb, width * 3, nullptr)) {
      png.resize(size);
      return true;
    }
  }
  error = image.image.message;
  return false;
}

bool decodePngGray(const uint8_t* data, size_t size, int64_t maxSide, int64_t maxPixels,
                   GrayImage& image, std::string& error) {
  PngImage png;
  if (!png_image_begin_read_from_memory(&png.image, data, size)) {
    error = png.image.message;
    return false;
  }
  const png_uint_32 format = png.image.format;
  if (format & PNG_FORMAT_FLAG_LINEAR) {
    error = "16-bit PNG images are not supported";
    return false;
  }
  if (format & PNG_FORMAT_FLAG_ALPHA) {
    error = "PNG images with transparency are not supported";
    return false;
  }
  const int64_t width = png.image.width, height = png.image.height;
  if (width > maxSide || height > maxSide || width * height > maxPixels) {
    error = "PNG image too large";
    return false;
  }
  const bool color = format & PNG_FORMAT_FLAG_COLOR;
  png.image.format = color ? PNG_FORMAT_RGB : PNG_FORMAT_GRAY;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png.image));
  if (!png_image_finish_read(&png.image, nullptr, pixels.data(), 0, nullptr)) {
    error = png.image.message;
    return false;
  }
  image.width = png.image.width;
  image.height = png.image.height;
  if (color) {
    const size_t n = static_cast<size_t>(image.width * image.height);
    for (size_t i = 0; i < n; ++i) {
      const uint8_t* p = &pixels[i * 3];
      pixels[i] = static_cast<uint8_t>((299 * p[0] + 587 * p[1] + 114 * p[2] + 500) / 1000);
    }
    pixels.resize(n);
  }
  image.pixels = std::move(pixels);
  return true;
}

}  // namespace standin
