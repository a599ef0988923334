// Converting a collection: vehicles from folders and files, several at once, one result line
// per vehicle in the order of the sources, and a closing count. No window and no OS headers:
// folders, terminals and files come through platform/.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

enum class Verbosity { kQuiet, kNormal, kVerbose };

struct BatchOptions {
  std::vector<std::string> sources;  // files and folders, as given
  std::string output_dir = ".";      // as given; created when missing
  std::string eng;                   // --eng: the description file of shape sources
  std::optional<float> length;       // --length: overrides every description file's size
  bool two_foot = false;
  bool shapes = false;  // folders give their shapes that no ENG/WAG file names, too
  int jobs = 1;
  Verbosity verbosity = Verbosity::kNormal;
  bool progress = false;    // the one-line progress display on standard error
  std::string report_path;  // --report: one CSV row per vehicle; none when empty
  bool preview = false;     // --preview: a picture beside every model file (batch/previews.h)
};

// One vehicle found from the sources, before it is converted.
struct PlannedVehicle {
  std::string source;         // the ENG/WAG (or shape) file, as given or found below a folder
  std::string output_folder;  // where its model file and textures go, below the output folder
};

// What became of one vehicle: what the report and any collection page are made from.
struct VehicleResult {
  std::string source;      // as in PlannedVehicle
  std::string model_file;  // the model file written; empty when none
  bool converted = false;
  std::string reason;  // why it was not converted
  int warnings = 0;    // malformed entries and textures missing or not converted
  int components = 0;
  int textures_converted = 0;
  int textures_missing = 0;
  float length = 0;  // metres, as converted
  // The values of the vehicle lines written into the model file; empty when absent.
  std::string weight, power, tractive_effort, max_speed;
};

// The vehicles of the sources in order: a file as it is; a folder as every ENG/WAG file below
// it (any letter case, sorted by path) and, with shapes, every ".s" that no ENG/WAG file of its
// folder names and that is not the "_ASC.s" twin of another. False with a message naming the
// source for each folder that cannot be read or holds no vehicle (the others are still planned).
bool PlanVehicles(const BatchOptions& options, std::vector<PlannedVehicle>& vehicles,
                  std::vector<std::string>& errors);

// Converts every vehicle (options.jobs at a time), prints on out and err as it goes, and returns
// the results in source order. Files already written in this run are never replaced with other
// content: the later vehicle fails.
std::vector<VehicleResult> ConvertVehicles(const BatchOptions& options,
                                           const std::vector<PlannedVehicle>& vehicles,
                                           std::FILE* out, std::FILE* err);

// The whole command: plans, converts, then does what waits for the last vehicle (the report),
// prints the summary line and returns the exit status: 0 all converted, 1 any failed.
int RunBatch(const BatchOptions& options, std::FILE* out, std::FILE* err);
