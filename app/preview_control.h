// The preview window's model, picture and mouse, the same in every view: drag to turn the model,
// the wheel to zoom, drawn by the renderer of the preview files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "preview/preview_file.h"
#include "preview/render.h"

struct PreviewModel {
  std::unique_ptr<preview::LoadedModel> model;
  std::string title;    // "Preview - NAME"
  std::string failure;  // shown instead of a picture: the model cannot be read or is empty
  std::string note;     // what the last picture leaves out
  preview::View view = preview::ThreeQuarterView();
};

// Reads the model file at model_path and its textures.
PreviewModel OpenPreviewModel(const std::string& model_path);

// The picture (RGBA rows, light grey behind the model) at width x height pixels for the current
// view; sets note. Empty when there is nothing to draw.
preview::Picture DrawPreviewPicture(PreviewModel& preview, uint32_t width, uint32_t height);

// A drag by (dx, dy) pixels turns the model; pitch stops short of straight down or up.
void TurnPreview(preview::View& view, int dx, int dy);
// Each wheel step (120 units) zooms in (positive) or out, within 0.1 and 50 times.
void ZoomPreview(preview::View& view, int wheel_delta);
