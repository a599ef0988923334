#include "batch/previews.h"

#include <string>

#include "platform/whole_file.h"
#include "preview/preview_file.h"

bool WriteBatchPreviews(const BatchOptions& options, const std::vector<VehicleResult>& results,
                        std::FILE* out, std::FILE* err) {
  bool all = true;
  for (const VehicleResult& r : results) {
    if (!r.converted || r.model_file.empty()) continue;
    std::string reason;
    if (!preview::WritePreviewBeside(r.model_file, reason)) {
      std::fprintf(err, "error: %s: cannot write the preview: %s\n", r.model_file.c_str(),
                   reason.c_str());
      all = false;
    }
  }
  bool folder_source = false;
  for (const std::string& source : options.sources) {
    folder_source = folder_source || platform::IsFolder(source);
  }
  if (!folder_source) return all;
  std::vector<preview::VehicleCard> cards;
  for (const VehicleResult& r : results) {
    std::string failure = r.converted ? std::string() : r.reason.empty() ? "failed" : r.reason;
    cards.push_back(preview::MakeVehicleCard(r.source, r.model_file, failure, options.output_dir));
  }
  std::string reason;
  std::string page = options.output_dir +
                     (options.output_dir.empty() || options.output_dir.back() == '/' ? "" : "/") +
                     "index.html";
  if (!preview::WriteCollectionPage(options.output_dir, cards, reason)) {
    std::fprintf(err, "error: %s: cannot write the collection page: %s\n", page.c_str(),
                 reason.c_str());
    return false;
  }
  std::fprintf(out, "collection page: %s\n", page.c_str());
  return all;
}
