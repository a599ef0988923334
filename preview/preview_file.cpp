#include "preview/preview_file.h"

#include "model/check.h"
#include "platform/files.h"
#include "platform/whole_file.h"
#include "preview/png.h"
#include "preview/preview.h"

namespace preview {
namespace {

std::string FolderOf(const std::string& path) {
  size_t cut = path.rfind('/');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// path relative to folder when it lies inside it, else as it is.
std::string RelativeTo(const std::string& path, const std::string& folder) {
  std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  if (!prefix.empty() && path.compare(0, prefix.size(), prefix) == 0) {
    return path.substr(prefix.size());
  }
  return path;
}

std::string BaseName(const std::string& path) {
  size_t cut = path.rfind('/');
  std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

std::unique_ptr<LoadedModel> LoadModelFile(const std::string& path, std::string& reason) {
  std::string text;
  if (!platform::ReadWholeFile(path, text, reason)) return nullptr;
  auto loaded = std::make_unique<LoadedModel>();
  model::ReadModelFile(text, loaded->model, loaded->diagnostics);
  text = std::string();
  model::ResolvePlacements(loaded->model, loaded->placements, loaded->diagnostics);
  std::string folder = FolderOf(path);
  auto load_texture = [&](const std::string& name, Picture& picture) {
    // A Skin line names a file beside the model; a path out of the folder is not followed.
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos) return false;
    std::string bytes, error;
    if (!platform::ReadWholeFile(platform::FindPathIgnoringCase(folder + name), bytes, error,
                                 uint64_t{256} << 20)) {
      return false;
    }
    return model::DecodeTga(bytes, picture, error);
  };
  loaded->scene = BuildScene(loaded->model, loaded->placements, load_texture);
  loaded->name = loaded->model.assembly >= 0
                     ? loaded->model.components[static_cast<size_t>(loaded->model.assembly)].name
                     : BaseName(path);
  if (loaded->name.empty()) loaded->name = BaseName(path);
  return loaded;
}

std::string PreviewPathFor(const std::string& model_path) {
  std::string folder = FolderOf(model_path);
  return folder + BaseName(model_path) + ".png";
}

bool WritePreviewBeside(const std::string& model_path, std::string& reason) {
  std::unique_ptr<LoadedModel> loaded = LoadModelFile(model_path, reason);
  if (!loaded) return false;
  Picture picture = RenderPreview(loaded->scene, loaded->name,
                                  loaded->model.has_length ? loaded->model.length : 0);
  std::string png = EncodePng(picture);
  if (png.empty()) {
    reason = "cannot encode the picture";
    return false;
  }
  return platform::WriteWholeFile(PreviewPathFor(model_path), png, reason);
}

VehicleCard MakeVehicleCard(const std::string& source, const std::string& model_path,
                            const std::string& failure, const std::string& page_folder) {
  constexpr size_t kMaxWarnings = 12;
  VehicleCard card;
  card.source = source;
  card.name = BaseName(model_path.empty() ? source : model_path);
  if (!failure.empty()) {
    card.status = failure;
    return card;
  }
  std::string text, reason;
  if (!platform::ReadWholeFile(model_path, text, reason)) {
    card.status = "cannot read the model file: " + reason;
    return card;
  }
  std::string folder = FolderOf(model_path);
  std::vector<model::Diagnostic> diagnostics;
  model::ModelFile file;
  model::ReadModelFile(text, file, diagnostics);
  std::vector<model::Placement> placements;
  std::vector<uint32_t> placed_count;
  model::ResolvePlacements(file, placements, diagnostics, {}, &placed_count);
  model::CheckSummary summary = model::CheckModel(
      file, placements, placed_count,
      [&](const std::string& name) {
        return platform::IsRegularFile(platform::FindPathIgnoringCase(folder + name));
      },
      diagnostics);
  card.converted = true;
  card.status = model::HasErrors(diagnostics) ? "converted, with errors" : "converted";
  if (file.assembly >= 0) card.name = file.components[static_cast<size_t>(file.assembly)].name;
  card.model_file = RelativeTo(model_path, page_folder);
  std::string picture = PreviewPathFor(model_path);
  if (platform::IsRegularFile(picture)) card.picture = RelativeTo(picture, page_folder);
  card.length_mm = file.has_length ? file.length : 0;
  for (const model::Parameter& p : file.parameters) {
    if (p.steam) continue;
    if (p.key == "Weight") card.weight = p.value;
    if (p.key == "Power") card.power = p.value;
    if (p.key == "TE") card.tractive_effort = p.value;
    if (p.key == "Max") card.max_speed = p.value;
  }
  card.textures = summary.textures;
  card.missing_textures = summary.missing_textures;
  for (const model::Diagnostic& d : diagnostics) {
    if (card.warnings.size() == kMaxWarnings) {
      card.warnings.push_back("and " + std::to_string(diagnostics.size() - kMaxWarnings) +
                              " more (see --check)");
      break;
    }
    card.warnings.push_back((d.line > 0 ? "line " + std::to_string(d.line) + ": " : "") +
                            d.message);
  }
  return card;
}

bool WriteCollectionPage(const std::string& page_folder, const std::vector<VehicleCard>& cards,
                         std::string& reason) {
  std::string title = "Collection: " + std::to_string(cards.size()) + " vehicles";
  std::string folder =
      page_folder.empty() || page_folder.back() == '/' ? page_folder : page_folder + "/";
  return platform::WriteWholeFile(folder + "index.html", MakeCollectionPage(title, cards), reason);
}

}  // namespace preview
