// A software renderer for model files: z-buffered triangles with perspective-correct texture
// coordinates, alpha test and normal shading under one fixed light. Plain IEEE arithmetic in a
// fixed order (no FMA contraction, no library trigonometry), so a model gives the same pixels
// on every machine.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/model_file.h"
#include "model/tga_reader.h"

namespace preview {

using Picture = model::RgbaPicture;

// A model placed and textured, ready to draw from any view.
struct Scene {
  struct Part {
    size_t component = 0;
    double offset[3] = {0, 0, 0};
    int texture = -1;  // index into textures; -1 draws the flat neutral colour
  };
  const model::ModelFile* model = nullptr;
  std::vector<Part> parts;
  std::vector<Picture> textures;
  // Per texture: its alpha cuts holes. A texture whose every pixel is below half alpha is
  // drawn opaque instead: such alpha serves something else (shine, say), as an opaque shader
  // in MSTS ignores it, and a cut-out would leave nothing.
  std::vector<bool> cut_out;
  bool empty = true;  // no drawable triangle
  double box_min[3] = {0, 0, 0};
  double box_max[3] = {0, 0, 0};
};

// Loads the texture named by a Skin line; false when it is missing or unreadable.
using LoadTexture = std::function<bool(const std::string& name, Picture& picture)>;

// The parts of model at placements, each texture loaded once. The box covers every vertex of a
// drawn triangle (triangles with an index outside their vertex buffer are not drawn).
Scene BuildScene(const model::ModelFile& model, const std::vector<model::Placement>& placements,
                 const LoadTexture& load_texture);

// Where the camera stands: turned by yaw about the vertical (0 looks at the vehicle's left
// side, positive angles towards its front) and raised by pitch, both in radians.
struct View {
  double yaw = 0;
  double pitch = 0;
  bool perspective = true;
  double zoom = 1;  // 1 fits the model's box into the viewport
};

// The three-quarter view from the front left, and the side elevation.
View ThreeQuarterView();
View SideView();

struct ViewportResult {
  double pixels_per_mm = 0;  // at the model's centre; exact for an orthographic view
  int32_t centre_x = 0;      // where the box's centre lands, in target pixels
  int32_t centre_y = 0;
};

// Draws scene into the rectangle (x, y, width, height) of target, which keeps its pixels where
// nothing is drawn.
ViewportResult DrawView(const Scene& scene, const View& view, Picture& target, uint32_t x,
                        uint32_t y, uint32_t width, uint32_t height);

// Sine and cosine by argument reduction and a fixed polynomial: the same bits everywhere.
double PortableSin(double radians);
double PortableCos(double radians);

}  // namespace preview
