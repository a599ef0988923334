#include "batch/publisher.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/diagnostic.h"
#include "base/paths.h"
#include "base/text.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/interrupts.h"

namespace {

constexpr const char* kNothingReplaced = "; nothing was replaced";

void Fail(StagedVehicle& staged, const std::string& message) {
  staged.result.converted = false;
  staged.result.reason = message;
  staged.diagnostics += DiagnosticLine(staged.result.source, 0, Severity::kError, message);
}

}  // namespace

void Publisher::Publish(const PlannedVehicle& vehicle, StagedVehicle& staged) {
  std::vector<std::string> files;
  std::string error_path, error;
  if (!platform::ListFilesBelow(staged.stage, files, error_path, error)) {
    std::string shown = vehicle.output_folder;
    if (error_path.size() > staged.stage.size())
      shown = JoinPath(shown, error_path.substr(staged.stage.size() + 1));
    Fail(staged, shown + ": " + error + kNothingReplaced);
    return;
  }
  std::vector<std::pair<std::string, std::string>> moves;  // stage file, target
  for (const std::string& file : files) {
    std::string from = staged.stage + "/" + file;
    std::string target = JoinPath(vehicle.output_folder, file);
    auto earlier = written_.find(target);
    if (earlier != written_.end()) {
      if (platform::SameFileContents(from, target)) continue;
      Fail(staged, target + " was already written for " + earlier->second->source + " in this run");
      return;
    }
    std::string lower = ToLowerAscii(file);
    if (platform::FileExists(target) && !EndsWith(lower, ".stk") && !EndsWith(lower, ".tga")) {
      Fail(staged, target + " exists and is not a model file or a texture");
      return;
    }
    moves.emplace_back(from, target);
  }
  if (!vehicle.output_folder.empty() && !platform::CreateFolders(vehicle.output_folder, error)) {
    Fail(staged, vehicle.output_folder + ": " + error + kNothingReplaced);
    return;
  }
  // The model file goes last: a move that fails leaves the earlier model as it was.
  std::stable_partition(moves.begin(), moves.end(), [](const auto& move) {
    return !EndsWith(ToLowerAscii(move.second), ".stk");
  });
  std::string replaced;
  platform::HoldInterrupts whole_vehicle;
  for (const auto& [from, target] : moves) {
    if (!platform::ReplaceFile(from, target, error)) {
      Fail(staged, target + ": " + error +
                       (replaced.empty() ? kNothingReplaced : "; already in place: " + replaced));
      return;
    }
    replaced += (replaced.empty() ? "" : ", ") + target;
    written_.emplace(target, &vehicle);
  }
  staged.result.model_file = JoinPath(vehicle.output_folder, staged.model_name);
}
