// Regions and object lists: gen_rectangle1, gen_circle, threshold, area_center, concat_obj,
// select_obj. Regions are runs of pixels, clipped to rows and columns 0 .. kRegionLimit - 1.
#include <algorithm>
#include <cmath>

#include "errors.h"
#include "operators.h"
#include "tuple_arithmetic.h"

namespace standin {
namespace {

// Regions end where the largest image ends, which bounds a region's runs.
constexpr int64_t kRegionLimit = 32768;

using Runs = std::vector<RegionRun>;

IconicItem makeRegion(Runs runs) {
  IconicItem item;
  item.objClass = "region";
  item.runs = std::make_shared<const Runs>(std::move(runs));
  return item;
}

Object objectOf(std::vector<IconicItem> items) {
  Object object;
  object.defined = true;
  object.items = std::move(items);
  return object;
}

// A finite numeric element of parameter `param`.
double coordinate(const Value& v, size_t i, int param, const char* op) {
  if (!v.isNumberAt(i)) raise(op, err::kWrongType + param);
  double d = v.numberAt(i);
  if (!std::isfinite(d)) raise(op, err::kWrongValue + param);
  return d;
}

// Appends the run [c0, c1] of row r, clipped to the region limits.
void addRun(Runs& runs, int64_t r, int64_t c0, int64_t c1) {
  c0 = std::max<int64_t>(c0, 0);
  c1 = std::min<int64_t>(c1, kRegionLimit - 1);
  if (r < 0 || r >= kRegionLimit || c0 > c1) return;
  runs.push_back({static_cast<int32_t>(r), static_cast<int32_t>(c0), static_cast<int32_t>(c1)});
}

// The number of objects the operator makes from parameters that each hold one value per
// object (or one value for all).
size_t objectCount(std::initializer_list<const Value*> params, const char* op) {
  size_t n = 0;
  for (const Value* p : params) n = std::max(n, p->size());
  int param = 1;
  for (const Value* p : params) {
    if (p->size() != n && p->size() != 1) raise(op, err::kWrongCount + param);
    ++param;
  }
  checkTupleLength(n);
  return n;
}

double at(const Value& v, size_t i, int param, const char* op) {
  return coordinate(v, v.size() == 1 ? 0 : i, param, op);
}

void genRectangle1(OpCall& c) {
  const char* op = "gen_rectangle1";
  const auto& in = c.ctrlIn;
  size_t n = objectCount({&in[0], &in[1], &in[2], &in[3]}, op);
  std::vector<IconicItem> items;
  for (size_t i = 0; i < n; ++i) {
    double r1 = std::round(at(in[0], i, 1, op)), c1 = std::round(at(in[1], i, 2, op));
    double r2 = std::round(at(in[2], i, 3, op)), c2 = std::round(at(in[3], i, 4, op));
    if (r2 < r1) raise(op, err::kWrongValue + 3);
    if (c2 < c1) raise(op, err::kWrongValue + 4);
    Runs runs;
    const double first = std::max(r1, 0.0), last = std::min(r2, double(kRegionLimit - 1));
    const double cb = std::clamp(c1, -1.0, double(kRegionLimit));
    const double ce = std::clamp(c2, -1.0, double(kRegionLimit));
    for (double r = first; r <= last; ++r)
      addRun(runs, static_cast<int64_t>(r), static_cast<int64_t>(cb), static_cast<int64_t>(ce));
    items.push_back(makeRegion(std::move(runs)));
  }
  c.iconicOut[0] = objectOf(std::move(items));
}

void genCircle(OpCall& c) {
  const char* op = "gen_circle";
  const auto& in = c.ctrlIn;
  size_t n = objectCount({&in[0], &in[1], &in[2]}, op);
  std::vector<IconicItem> items;
  for (size_t i = 0; i < n; ++i) {
    double row = at(in[0], i, 1, op), col = at(in[1], i, 2, op), radius = at(in[2], i, 3, op);
    if (radius <= 0) raise(op, err::kWrongValue + 3);
    // Pixels whose centre lies within the radius.
    Runs runs;
    const double first = std::max(std::ceil(row - radius), 0.0);
    const double last = std::min(std::floor(row + radius), double(kRegionLimit - 1));
    for (double r = first; r <= last; ++r) {
      const double half = std::sqrt(std::max(radius * radius - (r - row) * (r - row), 0.0));
      const double c0 = std::clamp(std::ceil(col - half), -1.0, double(kRegionLimit));
      const double c1 = std::clamp(std::floor(col + half), -1.0, double(kRegionLimit));
      addRun(runs, static_cast<int64_t>(r), static_cast<int64_t>(c0), static_cast<int64_t>(c1));
    }
    items.push_back(makeRegion(std::move(runs)));
  }
  c.iconicOut[0] = objectOf(std::move(items));
}

void threshold(OpCall& c) {
  const char* op = "threshold";
  const double low = scalarNumber(c.ctrlIn[0], 1, op), high = scalarNumber(c.ctrlIn[1], 2, op);
  std::vector<IconicItem> items;
  for (const auto& image : c.iconicIn[0].items) {
    if (image.objClass != "image") raise(op, err::kWrongValue + 1, "Object is not an image");
    Runs runs;
    auto inside = [&](uint8_t g) { return g >= low && g <= high; };
    for (int64_t r = 0; r < image.height; ++r) {
      const uint8_t* row = image.pixels->data() + r * image.width;
      for (int64_t col = 0; col < image.width;) {
        while (col < image.width && !inside(row[col])) ++col;
        const int64_t start = col;
        while (col < image.width && inside(row[col])) ++col;
        if (start < col) addRun(runs, r, start, col - 1);
      }
    }
    items.push_back(makeRegion(std::move(runs)));
  }
  c.iconicOut[0] = objectOf(std::move(items));
}

void areaCenter(OpCall& c) {
  Value areas, rows, cols;
  for (const auto& item : c.iconicIn[0].items) {
    int64_t area = 0;
    double rowSum = 0, colSum = 0;
    if (item.runs) {
      for (const auto& run : *item.runs) {
        const int64_t len = run.colEnd - run.colBegin + 1;
        area += len;
        rowSum += double(run.row) * len;
        colSum += (double(run.colBegin) + run.colEnd) * len / 2;
      }
    } else {  // an image: its whole domain
      area = item.width * item.height;
      rowSum = area * (item.height - 1) / 2.0;
      colSum = area * (item.width - 1) / 2.0;
    }
    areas.append(Element(area));
    rows.append(Element(area ? rowSum / area : 0.0));
    cols.append(Element(area ? colSum / area : 0.0));
  }
  c.ctrlOut[0] = std::move(areas);
  c.ctrlOut[1] = std::move(rows);
  c.ctrlOut[2] = std::move(cols);
}

void concatObj(OpCall& c) {
  const auto& a = c.iconicIn[0].items;
  const auto& b = c.iconicIn[1].items;
  checkTupleLength(a.size() + b.size());
  std::vector<IconicItem> items(a);
  items.insert(items.end(), b.begin(), b.end());
  c.iconicOut[0] = objectOf(std::move(items));
}

void selectObj(OpCall& c) {
  const char* op = "select_obj";
  const auto& all = c.iconicIn[0].items;
  const Value& index = c.ctrlIn[0];
  if (index.empty()) raise(op, err::kWrongCount + 1);
  std::vector<IconicItem> items;
  for (size_t i = 0; i < index.size(); ++i) {
    if (index.typeAt(i) != ElemType::Int) raise(op, err::kWrongType + 1);
    const int64_t k = index.intAt(i);
    if (k < 1 || k > static_cast<int64_t>(all.size())) raise(op, err::kWrongValue + 1);
    items.push_back(all[static_cast<size_t>(k - 1)]);
  }
  c.iconicOut[0] = objectOf(std::move(items));
}

const OperatorDef kTable[] = {
    {"gen_rectangle1", 0, 1, 4, 0, genRectangle1}, {"gen_circle", 0, 1, 3, 0, genCircle},
    {"threshold", 1, 1, 2, 0, threshold},          {"area_center", 1, 0, 0, 3, areaCenter},
    {"concat_obj", 2, 1, 0, 0, concatObj},         {"select_obj", 1, 1, 1, 0, selectObj},
};

}  // namespace

std::span<const OperatorDef> regionOperators() {
  return kTable;
}

}  // namespace standin
