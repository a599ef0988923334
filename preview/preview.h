// The preview picture of a model: a three-quarter view from the front left and a side
// elevation side by side, a scale bar in metres under the elevation, the name and length as a
// caption.
#pragma once

#include <string>

#include "preview/render.h"

namespace preview {

inline constexpr uint32_t kPreviewWidth = 1280;
inline constexpr uint32_t kPreviewHeight = 480;

// The whole picture; length_mm 0 when the model gives none. partial (when given) gets what a
// picture drawn in part leaves out, which the caption says too.
Picture RenderPreview(const Scene& scene, const std::string& name, double length_mm,
                      uint32_t width = kPreviewWidth, uint32_t height = kPreviewHeight,
                      std::string* partial = nullptr);

// "16.50 m" from millimetres, rounded to centimetres.
std::string FormatMetres(double millimetres);

}  // namespace preview
