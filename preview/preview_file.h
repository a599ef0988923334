// Model files on disk, read once for whatever looks at them (the checker, the picture, the
// collection card): the model and the textures beside it read through the platform, the
// picture written as NAME.png beside the model file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/check.h"
#include "model/model_file.h"
#include "preview/render.h"

namespace preview {

// A model file read from disk, its placements resolved, and (when asked) its scene.
struct LoadedModel {
  std::string path;
  model::ModelFile model;
  std::vector<model::Placement> placements;
  std::vector<uint32_t> placed_count;          // per component, how often it is placed
  std::vector<model::Diagnostic> diagnostics;  // the reader's and the resolver's
  Scene scene;                                 // refers to model: a LoadedModel is not copied
  std::string name;                            // the assembly's name, else the file's base name
  LoadedModel() = default;
  LoadedModel(const LoadedModel&) = delete;
  LoadedModel& operator=(const LoadedModel&) = delete;
};

enum class Textures { kLoad, kSkip };

// Reads the model file at path and, with Textures::kLoad, the textures its Skin lines name
// into its scene. Null with reason when the file cannot be read; a model with problems still
// loads, with what could be read.
std::unique_ptr<LoadedModel> LoadModelFile(const std::string& path, std::string& reason,
                                           Textures textures = Textures::kLoad);

// The file a Skin line names beside the model file at model_path, matched without regard to
// case, the name read as MSTS names are (platform::PathFromMstsName); empty when the name
// would lead out of that folder.
std::string TexturePathBeside(const std::string& model_path, const std::string& name);

// The checker's findings on a loaded model, appended to its diagnostics, and its summary;
// textures are looked up beside the model file.
model::CheckSummary CheckLoadedModel(LoadedModel& loaded);

// The path of the preview picture of a model file: NAME.png beside it.
std::string PreviewPathFor(const std::string& model_path);

// Renders the preview of a model loaded with its textures and writes it to PreviewPathFor;
// false with reason when the picture cannot be written. A picture drawn in part adds a
// warning to the model's diagnostics.
bool WritePreviewBeside(LoadedModel& loaded, std::string& reason);

}  // namespace preview
