// The vehicle's physical data from its ENG/WAG description file, written into the assembly.
#pragma once

struct Run;

// Reads options.EngPath and writes its parameter lines (a steam block when the vehicle is a
// steam engine); throws RunAborted when the file cannot be opened or read.
void WriteVehicleParameters(Run& run);
