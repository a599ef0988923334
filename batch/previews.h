// What --preview adds to a batch run once every vehicle is done: the picture of each model
// file beside it.
#pragma once

#include <cstdio>
#include <vector>

#include "batch/batch.h"

// Writes NAME.png beside the model file of every converted vehicle; each picture that cannot
// be written is an error on err. False when any could not be.
bool WriteBatchPreviews(const BatchOptions& options, const std::vector<VehicleResult>& results,
                        std::FILE* err);
