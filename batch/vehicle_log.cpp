#include "batch/vehicle_log.h"

#include <string_view>

#include "base/diagnostic.h"
#include "base/paths.h"
#include "base/text.h"

VehicleLog::VehicleLog(bool verbose, const std::string& given, const std::string& chosen)
    : verbose_(verbose), given_folder_(FolderOf(given)), chosen_folder_(FolderOf(chosen)) {
  names_.emplace_back(chosen, given);
}

void VehicleLog::Name(const std::string& engine_path, const std::string& given) {
  names_.emplace_back(engine_path, given);
}

void VehicleLog::Stage(const std::string& stage, const std::string& output_folder) {
  stage_ = stage + "/";
  output_folder_ = output_folder;
}

void VehicleLog::AppendLog(const std::string& line) {
  if (!verbose_) return;
  // The dialog's log ends every line with CR LF itself; a terminal wants one LF per line.
  std::string_view text = line;
  if (EndsWith(line, "\r\n")) {
    text.remove_suffix(2);
  } else if (EndsWith(line, "\n")) {
    text.remove_suffix(1);
  }
  for (char c : text) {
    if (c != '\r') progress += c;
  }
  progress += '\n';
}

void VehicleLog::Beep(const BeepSite& where) {
  Warn(where.file, where.line, "expected " + where.expected);
}

void VehicleLog::ReportFileFailure(const FileFailure& failure) {
  std::string file = Display(failure.file);
  std::string text = failure.reason;
  if (!stage_.empty() && failure.file.compare(0, stage_.size(), stage_) == 0)
    text += "; nothing was replaced";
  Error(file, text);
  if (reason.empty()) reason = file == names_.front().second ? text : file + ": " + text;
}

// The description file is read twice (for the shape, then for the vehicle data): each include
// line is reported once.
void VehicleLog::ReportUnreadableInclude(const IncludeFailure& failure) {
  std::string site = failure.file + ':' + std::to_string(failure.line);
  if (!includes_reported_.insert(site).second) return;
  Warn(failure.file, failure.line,
       "cannot read include \"" + failure.include + "\": " + failure.reason);
}

// Reported once, though the description file is read twice.
void VehicleLog::ReportCaseClash(const CaseClash& clash) {
  std::string text = "\"" + clash.name + "\" matches both " + Display(clash.used) + " and " +
                     Display(clash.other) + ", which differ only in letter case; " +
                     Display(clash.used) + " is used";
  std::string site = clash.file + ':' + std::to_string(clash.line) + ' ' + text;
  if (!clashes_reported_.insert(site).second) return;
  Warn(clash.file, clash.line, text);
}

void VehicleLog::ReportWarning(const FileWarning& warning) { Warn(warning.file, 0, warning.text); }

void VehicleLog::ReportTexture(const TextureOutcome& texture) {
  std::string head = "texture \"" + texture.texture + "\"";
  switch (texture.status) {
    case TextureOutcome::Status::kConverted:
      break;
    case TextureOutcome::Status::kMissing:
      Warn(texture.shape, 0, head + " not found");
      break;
    case TextureOutcome::Status::kNotConverted:
      Warn(texture.shape, 0, head + " not converted: " + texture.reason);
      break;
  }
}

void VehicleLog::Fail(const std::string& message) {
  Error(names_.front().second, message);
  reason = message;
}

void VehicleLog::Warn(const std::string& file, long line, const std::string& text) {
  diagnostics += DiagnosticLine(Display(file), line, Severity::kWarning, text);
  ++warnings;
}

void VehicleLog::Error(const std::string& file, const std::string& text) {
  std::string line = DiagnosticLine(file, 0, Severity::kError, text);
  diagnostics += line;
  errors += line;
}

// A path as the user would write it: the name given for it, else below the given folder.
std::string VehicleLog::Display(const std::string& path) const {
  if (!stage_.empty() && path.compare(0, stage_.size(), stage_) == 0)
    return JoinPath(output_folder_, path.substr(stage_.size()));
  for (const auto& [engine, given] : names_) {
    if (engine == path) return given;
  }
  if (!chosen_folder_.empty() && path.size() > chosen_folder_.size() &&
      path.compare(0, chosen_folder_.size(), chosen_folder_) == 0 &&
      path[chosen_folder_.size()] == '/') {
    return JoinPath(given_folder_, path.substr(chosen_folder_.size() + 1));
  }
  return path;
}
