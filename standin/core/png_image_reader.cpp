#include "png_image_reader.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "errors.h"
#include "png_codec.h"

namespace standin {
namespace {

// Largest image side, as for every image of the library.
constexpr int64_t kMaxSide = 32768;
// Largest image: 64 megapixels, which bounds the memory one read takes (about 256 MB).
constexpr int64_t kMaxPixels = int64_t{1} << 26;
// Largest file: a stored, uncompressed RGB image of the largest size, with room to spare.
constexpr std::streamsize kMaxFileBytes = std::streamsize{1} << 28;

}  // namespace

bool startsAsPng(std::istream& in) {
  static const char kSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
  char head[8];
  const auto start = in.tellg();
  const bool png = in.read(head, 8) && std::equal(head, head + 8, kSignature);
  in.clear();
  in.seekg(start);
  return png;
}

Object readPngImage(std::istream& in, const char* op) {
  std::vector<uint8_t> bytes;
  char chunk[65536];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    if (static_cast<std::streamsize>(bytes.size()) + in.gcount() > kMaxFileBytes)
      raise(op, err::kWrongValue + 1, "Image file too large");
    bytes.insert(bytes.end(), chunk, chunk + in.gcount());
  }
  GrayImage gray;
  std::string error;
  if (!decodePngGray(bytes.data(), bytes.size(), kMaxSide, kMaxPixels, gray, error))
    raise(op, err::kWrongValue + 1, "Image file format not supported: " + error);
  IconicItem item;
  item.objClass = "image";
  item.width = gray.width;
  item.height = gray.height;
  item.pixels = std::make_shared<const std::vector<uint8_t>>(std::move(gray.pixels));
  Object image;
  image.defined = true;
  image.items.push_back(std::move(item));
  return image;
}

}  // namespace standin
