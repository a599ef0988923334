// Moving converted vehicles from their stages into place, in source order. A file that an
// earlier vehicle of the run wrote is never replaced with other content, and nothing but a
// model or a texture is ever replaced: the vehicle then fails and none of its files is moved.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "batch/plan.h"
#include "batch/vehicle_conversion.h"

class Publisher {
 public:
  // Moves staged's files into vehicle.output_folder and sets its result's model_file; on a
  // refusal, fails the vehicle with the reason.
  void Publish(const PlannedVehicle& vehicle, StagedVehicle& staged);

 private:
  bool MoveInWhole(const PlannedVehicle& vehicle, StagedVehicle& staged,
                   const std::vector<std::string>& files);

  // Each target, and the vehicle it was written for (the plan outlives the publisher): a
  // collection of thousands holds no copy of each one's source path per file.
  std::map<std::string, const PlannedVehicle*> written_;
};
