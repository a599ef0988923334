// Converting a collection: vehicles from folders and files, several at once, one result line
// per vehicle in the order of the sources, and a closing count. No window and no OS headers:
// folders, terminals and files come through platform/. The stages, each in its own file:
// plan (what to convert), vehicle_conversion (one vehicle into its stage, with its
// vehicle_log, the shared_decompressions and shared_textures), scheduler (threads, and printing in
// source order, with the publisher), then report and previews over the vehicle_result records.
#pragma once

#include <cstdio>

#include "batch/options.h"

// The whole command: plans, converts, then does what waits for the last vehicle (the report,
// the pictures and the collection page), prints the summary line and returns the exit status:
// 0 all converted, 1 any failed.
int RunBatch(const BatchOptions& options, std::FILE* out, std::FILE* err);
