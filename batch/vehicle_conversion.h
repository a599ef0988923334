// One vehicle of a run converted into a private folder of its own (its stage) inside the run's
// staging folder, where it waits until the scheduler publishes it in source order.
#pragma once

#include <functional>
#include <string>

#include "batch/options.h"
#include "batch/plan.h"
#include "batch/shared_decompressions.h"
#include "batch/shared_textures.h"
#include "batch/vehicle_result.h"

// What all vehicles of a run share.
struct RunContext {
  const BatchOptions& options;
  std::string eng_chosen;               // --eng as the engine reads it; empty when not given
  std::string staging;                  // the run's staging folder
  SharedDecompressions decompressions;  // private text forms go below staging
  SharedTextures textures;              // each texture decoded once, below staging
  // Converts another vehicle while this one waits for a shape that another thread is
  // decompressing; false when none may start now.
  std::function<bool()> convert_another;
};

struct StagedVehicle {
  VehicleResult result;
  std::string progress;     // its log, when verbose
  std::string diagnostics;  // its warning and error lines (only the errors under --quiet)
  std::string stage;        // its private output folder; empty when none was made or it moved
  std::string model_name;   // the model file's name in stage
};

// As a file chosen in the dialog: absolute, in the letter case the user gave it.
std::string ChosenPath(const std::string& path);

// Prepares the vehicle's source (decompressing a shared shape once) and converts it into
// staging/slot, made when missing (an empty one is used as it is). Never throws: every failure
// is the vehicle's.
StagedVehicle ConvertVehicle(RunContext& context, const PlannedVehicle& vehicle, size_t slot);
