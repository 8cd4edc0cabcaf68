#include "framebuffer.h"

#include <algorithm>

namespace standin::window {

Framebuffer::Framebuffer(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height * 3, 0) {}

Rgba Framebuffer::at(int x, int y) const {
  const uint8_t* p = row(y) + static_cast<size_t>(x) * 3;
  return Rgba{p[0], p[1], p[2], 255};
}

void Framebuffer::fill(Rgba color) {
  for (size_t i = 0; i < pixels_.size(); i += 3) {
    pixels_[i] = color.r;
    pixels_[i + 1] = color.g;
    pixels_[i + 2] = color.b;
  }
  touch({0, 0, width_, height_});
}

void Framebuffer::fillRect(int64_t x0, int64_t y0, int64_t x1, int64_t y1, Rgba color) {
  const int left = static_cast<int>(std::clamp<int64_t>(x0, 0, width_));
  const int right = static_cast<int>(std::clamp<int64_t>(x1, 0, width_));
  const int top = static_cast<int>(std::clamp<int64_t>(y0, 0, height_));
  const int bottom = static_cast<int>(std::clamp<int64_t>(y1, 0, height_));
  if (left >= right || top >= bottom || color.a == 0) return;
  const unsigned a = color.a, keep = 255 - a;
  for (int y = top; y < bottom; ++y) {
    uint8_t* p = &pixels_[(static_cast<size_t>(y) * width_ + left) * 3];
    for (int x = left; x < right; ++x, p += 3) {
      if (a == 255) {
        p[0] = color.r;
        p[1] = color.g;
        p[2] = color.b;
      } else {
        p[0] = static_cast<uint8_t>((color.r * a + p[0] * keep + 127) / 255);
        p[1] = static_cast<uint8_t>((color.g * a + p[1] * keep + 127) / 255);
        p[2] = static_cast<uint8_t>((color.b * a + p[2] * keep + 127) / 255);
      }
    }
  }
  touch({left, top, right, bottom});
}

void Framebuffer::touch(Rect area) {
  if (area.empty()) return;
  if (changed_.empty()) {
    changed_ = area;
    return;
  }
  changed_ = {std::min(changed_.x0, area.x0), std::min(changed_.y0, area.y0),
              std::max(changed_.x1, area.x1), std::max(changed_.y1, area.y1)};
}

Rect Framebuffer::takeChanged() {
  Rect area = changed_;
  changed_ = Rect{};
  return area;
}

}  // namespace standin::window
