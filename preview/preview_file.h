// Previews of model files on disk: the model and the textures beside it read through the
// platform, the picture written as NAME.png beside the model file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/model_file.h"
#include "preview/collection_page.h"
#include "preview/render.h"

namespace preview {

// A model file read from disk with its scene, for drawing it again from other views.
struct LoadedModel {
  model::ModelFile model;
  std::vector<model::Placement> placements;
  std::vector<model::Diagnostic> diagnostics;
  Scene scene;       // refers to model: a LoadedModel is not copied
  std::string name;  // the assembly's name, else the file's base name
  LoadedModel() = default;
  LoadedModel(const LoadedModel&) = delete;
  LoadedModel& operator=(const LoadedModel&) = delete;
};

// Reads the model file at path and the textures its Skin lines name (beside it, matched
// without regard to case). Null with reason when the file cannot be read; a model with
// problems still loads, with what could be read.
std::unique_ptr<LoadedModel> LoadModelFile(const std::string& path, std::string& reason);

// The path of the preview picture of a model file: NAME.png beside it.
std::string PreviewPathFor(const std::string& model_path);

// Renders the preview of the model file at model_path and writes it to PreviewPathFor; false
// with reason when the model cannot be read or the picture cannot be written.
bool WritePreviewBeside(const std::string& model_path, std::string& reason);

// The card of one vehicle of a batch run for the collection page in page_folder: when
// failure is empty, its model file is read back and checked (for its length, vehicle data,
// textures and findings) and its preview is named when it exists; else the card says failure.
VehicleCard MakeVehicleCard(const std::string& source, const std::string& model_path,
                            const std::string& failure, const std::string& page_folder);

// Writes page_folder/index.html with the cards; false with reason when it cannot be written.
bool WriteCollectionPage(const std::string& page_folder, const std::vector<VehicleCard>& cards,
                         std::string& reason);

}  // namespace preview
