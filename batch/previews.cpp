#include "batch/previews.h"

#include <memory>
#include <string>

#include "base/diagnostic.h"
#include "base/paths.h"
#include "base/text.h"
#include "batch/collection_page.h"
#include "platform/files.h"
#include "platform/whole_file.h"
#include "preview/preview_file.h"

namespace {

// path as a link from a page in folder, both as given on the command line: relative, with ".."
// where path lies outside the folder, so that the link works opened from the file system.
std::string RelativeTo(const std::string& path, const std::string& folder) {
  return RelativePath(platform::AbsolutePath(folder), platform::AbsolutePath(path));
}

// The card of a converted vehicle from its model file as loaded and checked (its length,
// vehicle data, textures and findings), naming its picture when there is one.
void FillCard(preview::LoadedModel& loaded, const std::string& page_folder, VehicleCard& card) {
  constexpr size_t kMaxWarnings = 12;
  model::CheckSummary summary = preview::CheckLoadedModel(loaded);
  const model::ModelFile& file = loaded.model;
  const std::vector<model::Diagnostic>& diagnostics = loaded.diagnostics;
  card.converted = true;
  card.status = model::HasErrors(diagnostics) ? "converted, with errors" : "converted";
  if (file.assembly >= 0) card.name = file.components[static_cast<size_t>(file.assembly)].name;
  card.model_file = RelativeTo(loaded.path, page_folder);
  std::string picture = preview::PreviewPathFor(loaded.path);
  if (platform::IsRegularFile(picture)) card.picture = RelativeTo(picture, page_folder);
  card.length_mm = file.has_length ? file.length : 0;
  for (const model::Parameter& p : file.parameters) {
    const VehicleKey* key = p.steam ? nullptr : FindVehicleKey(p.key);
    if (key != nullptr) card.vehicle.*key->value = p.value;
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
}

}  // namespace

bool WriteBatchPreviews(const BatchOptions& options, const std::vector<VehicleResult>& results,
                        std::FILE* out, std::FILE* err) {
  bool folder_source = false;
  for (const std::string& source : options.sources) {
    folder_source = folder_source || platform::IsFolder(source);
  }
  bool all = true;
  std::vector<VehicleCard> cards;
  for (const VehicleResult& r : results) {
    VehicleCard card;
    card.source = r.source;
    card.name = Stem(r.model_file.empty() ? r.source : r.model_file);
    card.status = r.reason.empty() ? "failed" : r.reason;
    if (r.converted && !r.model_file.empty()) {
      std::string reason;
      std::unique_ptr<preview::LoadedModel> loaded = preview::LoadModelFile(r.model_file, reason);
      if (loaded == nullptr || !preview::WritePreviewBeside(*loaded, reason)) {
        std::fputs(
            DiagnosticLine(r.model_file, 0, Severity::kError, "cannot write the preview: " + reason)
                .c_str(),
            err);
        all = false;
      }
      if (loaded == nullptr) {
        card.status = "cannot read the model file: " + reason;
      } else if (folder_source) {
        FillCard(*loaded, options.output_dir, card);
      }
    }
    if (folder_source) cards.push_back(std::move(card));
  }
  if (!folder_source) return all;
  std::string page = CollectionPagePath(options.output_dir);
  std::string title = "Collection: " + Plural(cards.size(), "vehicle");
  // The report is linked when there is one to open: it was written before the page.
  std::string report;
  if (!options.report_path.empty() && platform::IsRegularFile(options.report_path)) {
    report = RelativeTo(options.report_path, options.output_dir);
  }
  std::string reason;
  if (!platform::WriteWholeFile(page, MakeCollectionPage(title, report, cards), reason)) {
    std::fputs(
        DiagnosticLine(page, 0, Severity::kError, "cannot write the collection page: " + reason)
            .c_str(),
        err);
    return false;
  }
  std::fprintf(out, "collection page: %s\n", EscapeControls(page).c_str());
  return all;
}
