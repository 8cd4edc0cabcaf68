// The built-in bitmap font of window texts: 5 x 7 glyphs for printable ASCII, drawn twice
// the size. Other characters (each UTF-8 sequence or stray byte) show as a hollow box.
#pragma once

#include <cstdint>
#include <string_view>

#include "framebuffer.h"

namespace standin::window::font {

constexpr int kScale = 2;
constexpr int kGlyphWidth = 5 * kScale;
constexpr int kGlyphHeight = 7 * kScale;
// Distance from one character, or one line, to the next.
constexpr int kAdvance = kGlyphWidth + kScale;
constexpr int kLineHeight = kGlyphHeight + 2 * kScale;

// Number of characters a line shows.
int64_t glyphCount(std::string_view line);

// Draws a line with its first glyph's top-left corner at (x, y), clipped to the picture.
void drawLine(Framebuffer& fb, int64_t x, int64_t y, std::string_view line, Rgba color);

}  // namespace standin::window::font
