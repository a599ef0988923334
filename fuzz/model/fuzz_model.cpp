// libFuzzer target: arbitrary bytes as a model file, read, placed and checked. Every problem
// must carry a line inside the input, and the placements must name real components.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/check.h"
#include "model/model_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  model::ModelFile file;
  std::vector<model::Diagnostic> diagnostics;
  model::ReadModelFile(text, file, diagnostics);
  std::vector<model::Placement> placements;
  std::vector<uint32_t> placed_count;
  model::ResolvePlacements(file, placements, diagnostics, {16, 4096}, &placed_count);
  for (const model::Placement& p : placements) {
    if (p.component >= file.components.size()) std::abort();
  }
  model::CheckModel(
      file, placements, placed_count, [](const std::string& name) { return name.size() % 2 == 0; },
      diagnostics);
  for (const model::Diagnostic& d : diagnostics) {
    if (d.line < 0 || d.line > file.line_count || d.message.empty()) std::abort();
  }
  return 0;
}
