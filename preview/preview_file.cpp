#include "preview/preview_file.h"

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

}  // namespace preview
