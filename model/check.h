// What a user wants to know about a model file before importing it: its size, its textures,
// its extent against its length, and the faults a conversion or an editor can leave in it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/model_file.h"

namespace model {

struct CheckSummary {
  size_t component_count = 0;
  size_t placed_component_count = 0;  // distinct components the assembly reaches
  size_t triangle_count = 0;          // over all components, as written
  size_t vertex_count = 0;
  std::vector<std::string> textures;  // distinct Skin names, in order of first use
  std::vector<std::string> missing_textures;
  bool has_box = false;           // false when nothing placed has a vertex
  double box_min[3] = {0, 0, 0};  // placed vertices, millimetres
  double box_max[3] = {0, 0, 0};
  double length = 0;  // the assembly's Length
};

// Tells whether the texture named by a Skin line exists beside the model file.
using TextureExists = std::function<bool(const std::string& name)>;

// Reads text, resolves its placements and checks them. diagnostics gets the reader's and the
// resolver's problems, then one finding per fault and component, in line order.
CheckSummary CheckModelText(std::string_view text, const TextureExists& texture_exists,
                            std::vector<Diagnostic>& diagnostics);

// The checks alone, over a model already read and resolved.
CheckSummary CheckModel(const ModelFile& model, const std::vector<Placement>& placements,
                        const std::vector<uint32_t>& placed_count,
                        const TextureExists& texture_exists, std::vector<Diagnostic>& diagnostics);

}  // namespace model
