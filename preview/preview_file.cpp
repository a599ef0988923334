#include "preview/preview_file.h"

#include "base/paths.h"
#include "platform/files.h"
#include "platform/whole_file.h"
#include "preview/png.h"
#include "preview/preview.h"

namespace preview {

std::unique_ptr<LoadedModel> LoadModelFile(const std::string& path, std::string& reason,
                                           Textures textures) {
  std::string text;
  if (!platform::ReadWholeFile(path, text, reason)) return nullptr;
  auto loaded = std::make_unique<LoadedModel>();
  loaded->path = path;
  model::ReadModelFile(text, loaded->model, loaded->diagnostics);
  text = std::string();
  model::ResolvePlacements(loaded->model, loaded->placements, loaded->diagnostics, {},
                           &loaded->placed_count);
  if (textures == Textures::kLoad) {
    // A texture that is there but cannot be drawn is a warning; a missing one is the
    // checker's to report.
    auto load_texture = [&](const std::string& name, Picture& picture) {
      std::string file = TexturePathBeside(path, name), bytes, error;
      if (file.empty() || !platform::FileExists(file)) return false;
      if (platform::ReadWholeFile(file, bytes, error, uint64_t{256} << 20) &&
          model::DecodeTga(bytes, picture, error))
        return true;
      loaded->diagnostics.push_back(
          {0, model::Severity::kWarning, "texture " + name + " is drawn plain: " + error});
      return false;
    };
    loaded->scene = BuildScene(loaded->model, loaded->placements, load_texture);
  }
  loaded->name = loaded->model.assembly >= 0
                     ? loaded->model.components[static_cast<size_t>(loaded->model.assembly)].name
                     : std::string();
  if (loaded->name.empty()) loaded->name = Stem(path);
  return loaded;
}

std::string TexturePathBeside(const std::string& model_path, const std::string& name) {
  if (LeavesFolder(name)) return {};
  return platform::FindPathIgnoringCase(
      JoinPath(FolderOf(model_path), platform::PathFromMstsName(name)));
}

model::CheckSummary CheckLoadedModel(LoadedModel& loaded) {
  return model::CheckModel(
      loaded.model, loaded.placements, loaded.placed_count,
      [&](const std::string& name) {
        std::string file = TexturePathBeside(loaded.path, name);
        return !file.empty() && platform::IsRegularFile(file);
      },
      loaded.diagnostics);
}

std::string PreviewPathFor(const std::string& model_path) {
  return JoinPath(FolderOf(model_path), Stem(model_path) + ".png");
}

bool WritePreviewBeside(LoadedModel& loaded, std::string& reason) {
  std::string partial;
  Picture picture =
      RenderPreview(loaded.scene, loaded.name, loaded.model.has_length ? loaded.model.length : 0,
                    kPreviewWidth, kPreviewHeight, &partial);
  if (!partial.empty())
    loaded.diagnostics.push_back({0, model::Severity::kWarning, "the picture is " + partial});
  std::string png = EncodePng(picture);
  if (png.empty()) {
    reason = "cannot encode the picture";
    return false;
  }
  return platform::WriteWholeFile(PreviewPathFor(loaded.path), png, reason);
}

}  // namespace preview
