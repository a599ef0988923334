// What became of one vehicle of a run: what the result line, the report and the collection
// page are made from.
#pragma once

#include <string>

#include "base/vehicle_data.h"

struct VehicleResult {
  std::string source;      // the ENG/WAG (or shape) file, as given or found below a folder
  std::string model_file;  // the model file written, where it was published; empty when none
  bool converted = false;
  std::string reason;  // why it was not converted
  int warnings = 0;    // malformed entries and textures missing or not converted
  // As the conversion wrote them (batch/vehicle_conversion.h); the textures also for a vehicle
  // that failed after them, the rest only for one converted.
  int components = 0;
  int textures_converted = 0;
  int textures_missing = 0;
  float length = 0;  // metres, as converted
  VehicleData vehicle;
};
