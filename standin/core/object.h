// Iconic objects: an ordered list of images or regions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace standin {

// One horizontal run of a region: its row and its first and last column.
struct RegionRun {
  int32_t row, colBegin, colEnd;
};

struct IconicItem {
  std::string objClass;  // "image" or "region"
  int64_t width = 0;
  int64_t height = 0;
  // 8-bit grey pixels, row by row (shared: images are never modified in place).
  std::shared_ptr<const std::vector<uint8_t>> pixels;
  // A region's runs, sorted by row and column, not overlapping.
  std::shared_ptr<const std::vector<RegionRun>> runs;
};

struct Object {
  std::vector<IconicItem> items;
  bool defined = false;  // false until a script or caller sets it
};

}  // namespace standin
