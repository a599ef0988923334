#include "batch/report.h"

#include <charconv>

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
