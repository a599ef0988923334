// What the command line asks of a collection run.
#pragma once

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
  // --read-only-sources: nothing is written beside a source, not even a shape's text twin.
  bool read_only_sources = false;
};

// The base of every output path: the output folder as given, "" for the current folder.
inline std::string OutputBase(const BatchOptions& options) {
  return options.output_dir == "." ? std::string() : options.output_dir;
}
