#include "render.h"

#include <algorithm>
#include <cmath>

#include "font.h"

namespace standin::window {
namespace {

// Text boxes leave this much room around their lines.
constexpr int kTextPadding = 2 * font::kScale;
// Shadows fall this far right of and below their box.
constexpr int kShadowOffset = 3;

// Index of the image row (or column) window pixel i shows.
int64_t imageIndex(double first, double last, int pixels, int i) {
  return static_cast<int64_t>(std::floor(first + (i + 0.5) * (last - first + 1) / pixels));
}

// Sets out[i] when some in[j] is set with i - after <= j <= i + before, for n values `stride`
// apart: the one-dimensional half of a square dilation.
void dilateLine(const uint8_t* in, uint8_t* out, int64_t n, int64_t stride, int before, int after,
                std::vector<int64_t>& prefix) {
  prefix.assign(static_cast<size_t>(n + 1), 0);
  for (int64_t i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + (in[i * stride] ? 1 : 0);
  for (int64_t i = 0; i < n; ++i) {
    const int64_t lo = std::max<int64_t>(i - after, 0), hi = std::min<int64_t>(i + before + 1, n);
    out[i * stride] = prefix[hi] - prefix[lo] > 0;
  }
}

}  // namespace

int64_t pixelOf(double coordinate) {
  constexpr double kFar = 1e12;  // farther than any picture, small enough for int64 sums
  if (std::isnan(coordinate)) return static_cast<int64_t>(kFar);
  return std::llround(std::clamp(coordinate, -kFar, kFar));
}

std::pair<int64_t, int64_t> windowSpan(const View& view, int64_t a, int64_t b, bool horizontal) {
  // Pixel i shows image index floor(first + (i + 0.5) * scale⁻¹): invert at both ends.
  auto toWindow = [&](double v) {
    return pixelOf(std::ceil((horizontal ? view.windowX(v) : view.windowY(v)) - 0.5));
  };
  return {toWindow(static_cast<double>(a)), toWindow(static_cast<double>(b) + 1)};
}

void drawImage(Framebuffer& fb, const View& view, const IconicItem& image, bool inverse,
               Rgba background) {
  std::vector<int64_t> columns(static_cast<size_t>(fb.width()));
  for (int x = 0; x < fb.width(); ++x) columns[x] = imageIndex(view.col1, view.col2, fb.width(), x);
  const uint8_t* pixels = image.pixels->data();
  for (int y = 0; y < fb.height(); ++y) {
    const int64_t r = imageIndex(view.row1, view.row2, fb.height(), y);
    for (int x = 0; x < fb.width(); ++x) {
      const int64_t c = columns[x];
      if (r < 0 || r >= image.height || c < 0 || c >= image.width) {
        fb.put(x, y, background.r, background.g, background.b);
        continue;
      }
      uint8_t g = pixels[r * image.width + c];
      if (inverse) g = static_cast<uint8_t>(255 - g);
      fb.put(x, y, g, g, g);
    }
  }
  fb.touch({0, 0, fb.width(), fb.height()});
}

namespace {

// The window pixels [x0, x1) x [y0, y1) showing a run.
struct Span {
  int64_t x0, y0, x1, y1;
};

Span spanOf(const View& view, const RegionRun& run) {
  auto [y0, y1] = windowSpan(view, run.row, run.row, false);
  auto [x0, x1] = windowSpan(view, run.colBegin, run.colEnd, true);
  return {x0, y0, x1, y1};
}

// The region's margin: the pixels of the region as shown whose 4-neighbours are not all in
// it, grown to a square of lineWidth. The work area reaches one pixel past the window, so a
// region running out of the window shows no margin along the window's edge.
void drawMargin(Framebuffer& fb, const View& view, std::span<const RegionRun> runs, Rgba color,
                int lineWidth) {
  std::vector<Span> spans;
  Span area{fb.width() + 1, fb.height() + 1, -1, -1};
  for (const auto& run : runs) {
    const Span s = spanOf(view, run);
    if (s.x0 >= s.x1 || s.y0 >= s.y1) continue;
    spans.push_back(s);
    area = {std::min(area.x0, s.x0), std::min(area.y0, s.y0), std::max(area.x1, s.x1),
            std::max(area.y1, s.y1)};
  }
  area = {std::max<int64_t>(area.x0 - lineWidth, -1), std::max<int64_t>(area.y0 - lineWidth, -1),
          std::min<int64_t>(area.x1 + lineWidth, fb.width() + 1),
          std::min<int64_t>(area.y1 + lineWidth, fb.height() + 1)};
  if (area.x0 >= area.x1 || area.y0 >= area.y1) return;
  const int64_t w = area.x1 - area.x0, h = area.y1 - area.y0;
  std::vector<uint8_t> inside(static_cast<size_t>(w * h), 0);
  for (const auto& s : spans)
    for (int64_t y = std::max(s.y0, area.y0); y < std::min(s.y1, area.y1); ++y)
      for (int64_t x = std::max(s.x0, area.x0); x < std::min(s.x1, area.x1); ++x)
        inside[(y - area.y0) * w + (x - area.x0)] = 1;
  auto in = [&](int64_t x, int64_t y) {
    return x >= 0 && y >= 0 && x < w && y < h && inside[y * w + x];
  };
  std::vector<uint8_t> edge(inside.size(), 0), grown(inside.size(), 0);
  for (int64_t y = 0; y < h; ++y)
    for (int64_t x = 0; x < w; ++x)
      edge[y * w + x] = in(x, y) && !(in(x - 1, y) && in(x + 1, y) && in(x, y - 1) && in(x, y + 1));
  // Rows, then columns; the second pass writes into inside, which is no longer needed.
  const int before = (lineWidth - 1) / 2, after = lineWidth - 1 - before;
  std::vector<int64_t> prefix;
  for (int64_t y = 0; y < h; ++y)
    dilateLine(&edge[y * w], &grown[y * w], w, 1, before, after, prefix);
  for (int64_t x = 0; x < w; ++x) dilateLine(&grown[x], &inside[x], h, w, before, after, prefix);
  for (int64_t y = 0; y < h; ++y) {
    for (int64_t x = 0; x < w;) {
      while (x < w && !inside[y * w + x]) ++x;
      const int64_t start = x;
      while (x < w && inside[y * w + x]) ++x;
      if (start < x) fb.fillRect(area.x0 + start, area.y0 + y, area.x0 + x, area.y0 + y + 1, color);
    }
  }
}

}  // namespace

void drawRegion(Framebuffer& fb, const View& view, std::span<const RegionRun> runs, Rgba color,
                bool margin, int lineWidth) {
  if (margin) {
    drawMargin(fb, view, runs, color, lineWidth);
    return;
  }
  for (const auto& run : runs) {
    const Span s = spanOf(view, run);
    fb.fillRect(s.x0, s.y0, s.x1, s.y1, color);
  }
}

void drawText(Framebuffer& fb, int64_t x, int64_t y, std::span<const std::string> lines,
              const TextStyle& style) {
  if (lines.empty()) return;
  int64_t longest = 0;
  for (const auto& line : lines) longest = std::max(longest, font::glyphCount(line));
  const int64_t boxWidth =
      2 * kTextPadding + std::max<int64_t>(longest * font::kAdvance - font::kScale, 0);
  const int64_t boxHeight =
      2 * kTextPadding + static_cast<int64_t>(lines.size()) * font::kLineHeight - 2 * font::kScale;
  if (style.shadow)
    fb.fillRect(x + kShadowOffset, y + kShadowOffset, x + kShadowOffset + boxWidth,
                y + kShadowOffset + boxHeight, *style.shadow);
  if (style.box) fb.fillRect(x, y, x + boxWidth, y + boxHeight, *style.box);
  for (size_t i = 0; i < lines.size(); ++i) {
    const int64_t top = y + kTextPadding + static_cast<int64_t>(i) * font::kLineHeight;
    if (top >= fb.height()) break;
    font::drawLine(fb, x + kTextPadding, top, lines[i], style.colors[i % style.colors.size()]);
  }
}

}  // namespace standin::window
