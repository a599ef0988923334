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

// A vehicle whose folder does not exist yet (a collection's first conversion) takes its stage
// as that folder: one rename instead of one per file, and every file appears at once. False,
// nothing moved, when the folder exists or the move is refused: then file by file.
bool Publisher::MoveInWhole(const PlannedVehicle& vehicle, StagedVehicle& staged,
                            const std::vector<std::string>& files) {
  const std::string& folder = vehicle.output_folder;
  if (folder.empty() || platform::KindOfPath(folder) != platform::PathKind::kMissing) return false;
  std::string parent = FolderOf(folder), error;
  if (!parent.empty() && !platform::CreateFolders(parent, error)) return false;
  if (!platform::MoveFolder(staged.stage, folder, error)) return false;
  for (const std::string& file : files) written_.emplace(JoinPath(folder, file), &vehicle);
  staged.result.model_file = JoinPath(folder, staged.model_name);
  staged.stage.clear();  // it is the vehicle's folder now: nothing is left to empty
  return true;
}

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
  if (MoveInWhole(vehicle, staged, files)) return;
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
