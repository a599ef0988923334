// Text and marks drawn into a picture: a small built-in 5x7 font (capitals, digits and the
// usual punctuation; small letters are drawn as capitals), filled rectangles.
#pragma once

#include <cstdint>
#include <string_view>

#include "preview/render.h"

namespace preview {

struct Colour {
  uint8_t r, g, b;
};

// Fills the rectangle, clipped to the picture.
void FillRectangle(Picture& picture, int64_t x, int64_t y, int64_t width, int64_t height,
                   Colour colour);

// Draws text with its top left at (x, y), each font pixel scale x scale pixels; returns the
// width drawn. Characters the font lacks are drawn as "?".
int64_t DrawText(Picture& picture, int64_t x, int64_t y, std::string_view text, int scale,
                 Colour colour);

// The width DrawText would draw.
int64_t TextWidth(std::string_view text, int scale);

}  // namespace preview
