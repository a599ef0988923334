#include "batch/report.h"

#include <charconv>

#include "base/paths.h"
#include "base/text.h"
#include "platform/files.h"
#include "platform/whole_file.h"

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

namespace {

std::string Number(float value) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

}  // namespace

std::string FormatReport(const std::vector<VehicleResult>& results) {
  std::string csv =
      "source,model_file,status,reason,warnings,textures_converted,textures_missing,length_m";
  for (const VehicleKey& key : kVehicleKeys) csv.append(",").append(key.column);
  csv += "\r\n";
  for (const VehicleResult& r : results) {
    std::vector<std::string> fields = {r.source,
                                       r.model_file,
                                       r.converted ? "ok" : "failed",
                                       r.reason,
                                       std::to_string(r.warnings),
                                       std::to_string(r.textures_converted),
                                       std::to_string(r.textures_missing),
                                       r.converted ? Number(r.length) : std::string()};
    for (const VehicleKey& key : kVehicleKeys) fields.push_back(r.vehicle.*key.value);
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) csv += ',';
      csv += CsvField(fields[i]);
    }
    csv += "\r\n";
  }
  return csv;
}

bool CheckReportPath(const BatchOptions& options, const std::vector<PlannedVehicle>& vehicles,
                     std::string& problem) {
  const std::string& path = options.report_path;
  // Names of what a run reads (shapes, descriptions, textures) and writes (models, textures,
  // pictures, the page): a report there would replace one, or be replaced.
  static constexpr const char* kTaken[] = {".s",   ".eng", ".wag",  ".ace", ".stk",
                                           ".tga", ".png", ".html", ".inc"};
  std::string lower = ToLowerAscii(path);
  for (const char* extension : kTaken) {
    if (EndsWith(lower, extension)) {
      problem = std::string("a report cannot take the name of a file the run reads or writes (") +
                extension + ")";
      return false;
    }
  }
  if (platform::IsFolder(path)) {
    problem = "a folder, not a file for the report";
    return false;
  }
  platform::FileIdentity report, source;
  if (platform::IdentifyFile(path, report)) {
    std::vector<std::string> read = {options.eng};
    for (const PlannedVehicle& vehicle : vehicles) read.push_back(vehicle.source);
    for (const std::string& file : read) {
      if (!file.empty() && platform::IdentifyFile(file, source) && source == report) {
        problem = "the report would replace the source " + file;
        return false;
      }
    }
  }
  std::string folder = FolderOf(path), error;
  if (!folder.empty() && !platform::CreateFolders(folder, error)) {
    problem = "cannot make the report's folder: " + error;
    return false;
  }
  return true;
}
