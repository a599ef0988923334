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
  bool empty = true;       // no drawable triangle
  uint64_t triangles = 0;  // drawn, each placement counted
  // Triangles of placements past the drawing budget: none of them is drawn.
  uint64_t triangles_left_out = 0;
  double box_min[3] = {0, 0, 0};
  double box_max[3] = {0, 0, 0};
};

// Loads the texture named by a Skin line; false when it is missing or unreadable.
using LoadTexture = std::function<bool(const std::string& name, Picture& picture)>;

// Triangles a scene draws at most: a few seconds of drawing. A small file can place one
// component a million times; past the budget the picture is partial, and says so.
inline constexpr uint64_t kTriangleBudget = 20'000'000;

// The parts of model at placements, each texture loaded once, until the next placement would
// take the scene past triangle_budget. The box covers every vertex of a drawn triangle
// (triangles with an index outside their vertex buffer are not drawn).
Scene BuildScene(const model::ModelFile& model, const std::vector<model::Placement>& placements,
                 const LoadTexture& load_texture, uint64_t triangle_budget = kTriangleBudget);

// What a partial picture leaves out (a scene past its triangle budget, a view whose pixel
// budget ran out), for a warning and the caption; empty when the picture is whole.
std::string PartialPictureNote(const Scene& scene, bool pixels_ran_out);

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
  bool pixels_ran_out = false;  // the triangles after the pixel budget are not drawn
};

// Pixels one view tests at most, summed over the triangles' boxes: about a second. Triangles
// the size of the model stacked a million deep cost pixels, not triangles.
inline constexpr uint64_t kPixelBudget = uint64_t{1} << 27;

// Draws scene into the rectangle (x, y, width, height) of target, which keeps its pixels where
// nothing is drawn, until pixel_budget runs out.
ViewportResult DrawView(const Scene& scene, const View& view, Picture& target, uint32_t x,
                        uint32_t y, uint32_t width, uint32_t height,
                        uint64_t pixel_budget = kPixelBudget);

// Sine and cosine by argument reduction and a fixed polynomial: the same bits everywhere.
double PortableSin(double radians);
double PortableCos(double radians);

}  // namespace preview
