// Running the planned vehicles of a run on several threads and printing each one's lines and
// result line in source order as soon as it and all before it are done, so that the output is
// the same for every number of jobs.
#pragma once

#include <cstdio>
#include <vector>

#include "batch/options.h"
#include "batch/plan.h"
#include "batch/vehicle_result.h"

// Converts every vehicle (options.jobs at a time), prints on out and err as it goes, and returns
// the results in source order. Files already written in this run are never replaced with other
// content: the later vehicle fails.
std::vector<VehicleResult> ConvertVehicles(const BatchOptions& options,
                                           const std::vector<PlannedVehicle>& vehicles,
                                           std::FILE* out, std::FILE* err);

// Fails every vehicle for one reason met before any was converted, printing each one's result
// line on out.
std::vector<VehicleResult> FailVehicles(const std::vector<PlannedVehicle>& vehicles,
                                        const std::string& reason, std::FILE* out);

// "ok  SOURCE -> MODEL (N components, N textures[, N warnings])" or "FAILED SOURCE: reason".
std::string ResultLine(const VehicleResult& result);
