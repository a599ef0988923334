// What --preview adds to a batch run once every vehicle is done: the picture of each model
// file beside it and, when a source is a folder, the collection page OUTPUT/index.html. Each
// model file is read once for both.
#pragma once

#include <cstdio>
#include <vector>

#include "batch/options.h"
#include "batch/vehicle_result.h"

// Writes NAME.png beside the model file of every converted vehicle; each picture that cannot
// be written is an error on err. With a folder among the sources, then writes the collection
// page into the output folder, naming it on out. False when anything could not be written.
bool WriteBatchPreviews(const BatchOptions& options, const std::vector<VehicleResult>& results,
                        std::FILE* out, std::FILE* err);
