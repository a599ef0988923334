// Planning a run: the vehicles the sources name, each with the folder it is written into.
// Pure logic over the file lists that platform/ gives; nothing is converted or written.
#pragma once

#include <string>
#include <vector>

#include "batch/options.h"
#include "convert/log_sink.h"

// One vehicle found from the sources, before it is converted.
struct PlannedVehicle {
  std::string source;         // the ENG/WAG (or shape) file, as given or found below a folder
  std::string output_folder;  // where its model file and textures go, below the output folder
};

// The vehicles of the sources in order: a file as it is; a folder as every ENG/WAG file below
// it (any letter case, sorted by path) and, with shapes, every ".s" that no ENG/WAG file of its
// folder names and that is not the "_ASC.s" twin of another. False with a failure naming the
// source (or the folder below it) for each folder that cannot be read or holds no vehicle; the
// others are still planned.
bool PlanVehicles(const BatchOptions& options, std::vector<PlannedVehicle>& vehicles,
                  std::vector<FileFailure>& errors);
