#include "batch/previews.h"

#include <string>

#include "preview/preview_file.h"

bool WriteBatchPreviews(const BatchOptions&, const std::vector<VehicleResult>& results,
                        std::FILE* err) {
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
  return all;
}
