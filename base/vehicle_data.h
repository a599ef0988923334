// The vehicle lines of a model file's assembly ("\tWeight\t61"): their keys, in the order the
// report and the collection card list them. The writer, the reader, the batch's result record
// and the card all go through this one table.
#pragma once

#include <string>
#include <string_view>

// The values as written into the model file; empty when the line is absent.
struct VehicleData {
  std::string weight, power, tractive_effort, max_speed;
};

struct VehicleKey {
  std::string_view key;     // as in the model file, and as the card labels it
  std::string_view column;  // the report's column
  std::string_view unit;    // what the number means in the model file, as the card shows it
  std::string VehicleData::*value;
};

inline constexpr VehicleKey kVehicleKeys[] = {
    {"Weight", "weight", "t", &VehicleData::weight},
    {"Power", "power", "kW", &VehicleData::power},
    {"TE", "tractive_effort", "kN", &VehicleData::tractive_effort},
    {"Max", "max_speed", "km/h", &VehicleData::max_speed},
};

// The entry for key; null when key is no vehicle line's.
constexpr const VehicleKey* FindVehicleKey(std::string_view key) {
  for (const VehicleKey& k : kVehicleKeys) {
    if (k.key == key) return &k;
  }
  return nullptr;
}
