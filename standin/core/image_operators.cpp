// A few image operators: gen_image_const, read_image (binary PGM or PNG), count_obj,
// get_image_size.
#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "errors.h"
#include "operators.h"
#include "png_image_reader.h"
#include "system_state.h"
#include "tuple_arithmetic.h"

namespace standin {
namespace {

// Largest image side accepted; matches the library's window size limit.
constexpr int64_t kMaxImageSide = 32768;

IconicItem makeImage(int64_t w, int64_t h, std::vector<uint8_t> pixels) {
  IconicItem item;
  item.objClass = "image";
  item.width = w;
  item.height = h;
  item.pixels = std::make_shared<const std::vector<uint8_t>>(std::move(pixels));
  return item;
}

void genImageConst(OpCall& c) {
  const char* op = "gen_image_const";
  if (scalarText(c.ctrlIn[0], 1, op) != "byte") raise(op, err::kWrongValue + 1);
  int64_t w = scalarInt(c.ctrlIn[1], 2, op), h = scalarInt(c.ctrlIn[2], 3, op);
  if (w < 1 || w > kMaxImageSide) raise(op, err::kWrongValue + 2);
  if (h < 1 || h > kMaxImageSide) raise(op, err::kWrongValue + 3);
  checkValueBytes(static_cast<size_t>(w * h));  // images count against the same limit
  Object image;
  image.defined = true;
  image.items.push_back(makeImage(w, h, std::vector<uint8_t>(static_cast<size_t>(w * h), 0)));
  c.iconicOut[0] = std::move(image);
}

// Longest PGM header read: magic, sizes, maximum and comments together. A file of endless
// bytes (/dev/zero) is refused after this many instead of being read forever.
constexpr int kMaxPgmHeader = 4096;

// Reads the header of a binary PGM file within kMaxPgmHeader bytes.
class PgmHeaderReader {
 public:
  explicit PgmHeaderReader(std::istream& in) : in_(in) {}

  bool magic() { return get() == 'P' && get() == '5' && isSpace(peek()); }

  // The next decimal number, after white space and '#' comments; it ends with one white-space
  // character, which is consumed (after the maximum, the pixels follow it).
  bool number(int64_t& value) {
    int c = get();
    while (isSpace(c) || c == '#') {
      if (c == '#')
        while (c != '\n' && c != EOF) c = get();
      c = get();
    }
    int digits = 0;
    for (value = 0; c >= '0' && c <= '9'; c = get()) {
      if (++digits > 9) return false;  // beyond any accepted size
      value = value * 10 + (c - '0');
    }
    return digits > 0 && isSpace(c);
  }

 private:
  static bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  int get() { return ++used_ > kMaxPgmHeader ? EOF : in_.get(); }
  int peek() { return used_ >= kMaxPgmHeader ? EOF : in_.peek(); }

  std::istream& in_;
  int used_ = 0;
};

// Opens the image as named, with ".pgm" or ".png" added, and then in each directory of
// HALCONIMAGES (';'-separated), as the library's image search does.
bool openImage(const std::string& name, std::ifstream& in) {
  std::vector<std::string> dirs = {""};
  const char* env = std::getenv("HALCONIMAGES");
  for (std::string rest = env ? env : ""; !rest.empty();) {
    size_t semi = rest.find(';');
    std::string dir = rest.substr(0, semi);
    if (!dir.empty()) dirs.push_back(dir + "/");
    rest = semi == std::string::npos ? "" : rest.substr(semi + 1);
  }
  for (const auto& dir : dirs) {
    for (const char* ext : {"", ".pgm", ".png"}) {
      in.open(dir + name + ext, std::ios::binary);
      if (in) return true;
      in.clear();
    }
  }
  return false;
}

void readImage(OpCall& c) {
  const char* op = "read_image";
  const std::string& name = scalarText(c.ctrlIn[0], 1, op);
  std::ifstream in;
  if (!openImage(name, in)) {
    noteExtendedInfo(op, err::kFileNotFound, "'" + name + "' cannot be read");
    raise(op, err::kFileNotFound);
  }
  if (startsAsPng(in)) {
    c.iconicOut[0] = readPngImage(in, op);
    return;
  }
  PgmHeaderReader header(in);
  int64_t w = 0, h = 0, maxval = 0;
  if (!header.magic() || !header.number(w) || !header.number(h) || !header.number(maxval) ||
      w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide || maxval != 255)
    raise(op, err::kWrongValue + 1, "Image file format not supported (binary 8-bit PGM only)");
  checkValueBytes(static_cast<size_t>(w * h));
  // Read in growing steps: a file that claims a huge image but ends early fails before all of
  // it is allocated.
  std::vector<uint8_t> pixels;
  const size_t total = static_cast<size_t>(w * h);
  while (pixels.size() < total) {
    size_t done = pixels.size();
    pixels.resize(done + std::min(total - done, std::max(done, size_t{1} << 20)));
    if (!in.read(reinterpret_cast<char*>(pixels.data() + done),
                 static_cast<std::streamsize>(pixels.size() - done)))
      raise(op, err::kWrongValue + 1, "Image file is truncated");
  }
  Object image;
  image.defined = true;
  image.items.push_back(makeImage(w, h, std::move(pixels)));
  c.iconicOut[0] = std::move(image);
}

void countObj(OpCall& c) {
  c.ctrlOut[0] = Value::ofInt(static_cast<int64_t>(c.iconicIn[0].items.size()));
}

void getImageSize(OpCall& c) {
  const auto& items = c.iconicIn[0].items;
  if (items.empty() || items[0].objClass != "image") raise("get_image_size", err::kWrongValue + 1);
  c.ctrlOut[0] = Value::ofInt(items[0].width);
  c.ctrlOut[1] = Value::ofInt(items[0].height);
}

const OperatorDef kTable[] = {
    {"gen_image_const", 0, 1, 3, 0, genImageConst},
    {"read_image", 0, 1, 1, 0, readImage},
    {"count_obj", 1, 0, 0, 1, countObj},
    {"get_image_size", 1, 0, 0, 2, getImageSize},
};

}  // namespace

std::span<const OperatorDef> imageOperators() {
  return kTable;
}

}  // namespace standin
