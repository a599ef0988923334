#include "batch/publisher.h"

#include <utility>
#include <vector>

#include "base/diagnostic.h"
#include "base/paths.h"
#include "base/text.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace {

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
    Fail(staged, error_path + ": " + error);
    return;
  }
  std::vector<std::pair<std::string, std::string>> moves;  // stage file, target
  for (const std::string& file : files) {
    std::string from = staged.stage + "/" + file;
    std::string target = JoinPath(vehicle.output_folder, file);
    auto earlier = written_.find(target);
    if (earlier != written_.end()) {
      if (platform::SameFileContents(from, target)) continue;
      Fail(staged, target + " was already written for " + earlier->second + " in this run");
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
    Fail(staged, vehicle.output_folder + ": " + error);
    return;
  }
  for (const auto& [from, target] : moves) {
    if (!platform::ReplaceFile(from, target, error)) {
      Fail(staged, target + ": " + error);
      return;
    }
    written_.emplace(target, vehicle.source);
  }
  staged.result.model_file = JoinPath(vehicle.output_folder, staged.model_name);
}
