#include "preview/preview.h"

#include <algorithm>
#include <cmath>

#include "preview/picture_text.h"

namespace preview {
namespace {

constexpr Colour kBackground = {238, 238, 232};
constexpr Colour kInk = {40, 40, 44};
constexpr Colour kPaper = {255, 255, 255};

// The longest bar of 1, 2 or 5 times a power of ten metres that fits into room pixels.
int64_t BarMetres(double pixels_per_metre, double room) {
  int64_t best = 0;
  for (int64_t power = 1; power <= 1000; power *= 10) {
    for (int64_t step : {1, 2, 5}) {
      if (static_cast<double>(step * power) * pixels_per_metre <= room) best = step * power;
    }
  }
  return best;
}

void DrawScaleBar(Picture& picture, int64_t x, int64_t y, double pixels_per_mm, int64_t room,
                  int text_scale) {
  double per_metre = pixels_per_mm * 1000.0;
  int64_t metres = BarMetres(per_metre, static_cast<double>(room));
  if (metres == 0) return;
  int64_t height = 3 * text_scale;
  int64_t total = std::llround(static_cast<double>(metres) * per_metre);
  FillRectangle(picture, x - 1, y - 1, total + 2, height + 2, kInk);
  // Alternate segments: ten of them, or one a metre when fewer.
  int64_t segments = metres <= 10 ? metres : 10;
  for (int64_t s = 0; s < segments; ++s) {
    int64_t from = total * s / segments, to = total * (s + 1) / segments;
    FillRectangle(picture, x + from, y, to - from, height, s % 2 == 0 ? kInk : kPaper);
  }
  int64_t text_y = y + height + 2 * text_scale;
  DrawText(picture, x - 2 * text_scale, text_y, "0", text_scale, kInk);
  std::string label = std::to_string(metres) + " m";
  DrawText(picture, x + total - TextWidth(label, text_scale) / 2, text_y, label, text_scale, kInk);
}

}  // namespace

std::string FormatMetres(double millimetres) {
  int64_t centimetres = std::llround(millimetres / 10.0);
  std::string cents = std::to_string(std::llabs(centimetres) % 100);
  if (cents.size() < 2) cents = "0" + cents;
  return (centimetres < 0 ? "-" : "") + std::to_string(std::llabs(centimetres) / 100) + "." +
         cents + " m";
}

Picture RenderPreview(const Scene& scene, const std::string& name, double length_mm, uint32_t width,
                      uint32_t height, std::string* partial) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(static_cast<size_t>(width) * height * 4);
  FillRectangle(picture, 0, 0, width, height, kBackground);
  int text_scale = std::max<int>(1, static_cast<int>(height / 240));
  uint32_t strip = static_cast<uint32_t>(16 * text_scale);
  uint32_t view_height = height > strip ? height - strip : 0;
  uint32_t half = width / 2;
  ViewportResult three = DrawView(scene, ThreeQuarterView(), picture, 0, 0, half, view_height);
  ViewportResult side = DrawView(scene, SideView(), picture, half, 0, width - half, view_height);

  int64_t baseline = static_cast<int64_t>(height) - 11 * text_scale;
  std::string caption =
      name + "  " + (length_mm > 0 ? FormatMetres(length_mm) : std::string("no length given"));
  if (scene.empty) caption += "  (nothing to draw)";
  std::string note = PartialPictureNote(scene, three.pixels_ran_out || side.pixels_ran_out);
  if (!note.empty()) caption += "  (" + note + ")";
  if (partial != nullptr) *partial = note;
  DrawText(picture, 4 * text_scale, baseline, caption, text_scale, kInk);
  if (side.pixels_per_mm > 0) {
    DrawScaleBar(picture, half + 8 * text_scale, baseline - 2 * text_scale, side.pixels_per_mm,
                 (width - half) / 3, text_scale);
  }
  return picture;
}

}  // namespace preview
