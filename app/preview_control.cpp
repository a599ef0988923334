#include "app/preview_control.h"

#include <algorithm>

namespace {

constexpr double kRadiansPerPixel = 0.01;
constexpr double kMaxPitch = 1.5;  // short of straight down, where "up" is lost
constexpr double kZoomStep = 1.15;

}  // namespace

PreviewModel OpenPreviewModel(const std::string& model_path) {
  PreviewModel preview;
  std::string reason;
  preview.model = preview::LoadModelFile(model_path, reason);
  if (!preview.model) {
    preview.failure = model_path + ": " + reason;
  } else if (preview.model->scene.empty) {
    preview.failure = preview.model->name + ": nothing to draw";
  }
  preview.title = "Preview - " + (preview.model ? preview.model->name : model_path);
  return preview;
}

preview::Picture DrawPreviewPicture(PreviewModel& preview, uint32_t width, uint32_t height) {
  preview::Picture picture;
  if (!preview.model || width == 0 || height == 0) return picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.assign(size_t(width) * height * 4, 238);
  preview::ViewportResult drawn =
      preview::DrawView(preview.model->scene, preview.view, picture, 0, 0, width, height);
  preview.note = preview::PartialPictureNote(preview.model->scene, drawn.pixels_ran_out);
  return picture;
}

void TurnPreview(preview::View& view, int dx, int dy) {
  view.yaw += dx * kRadiansPerPixel;
  view.pitch = std::clamp(view.pitch + dy * kRadiansPerPixel, -kMaxPitch, kMaxPitch);
}

void ZoomPreview(preview::View& view, int wheel_delta) {
  int steps = wheel_delta / 120;
  for (; steps > 0; --steps) view.zoom = std::min(view.zoom * kZoomStep, 50.0);
  for (; steps < 0; ++steps) view.zoom = std::max(view.zoom / kZoomStep, 0.1);
}
