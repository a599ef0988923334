// What a conversion is asked to do, and what it reports back as written.
#pragma once

#include <functional>
#include <string>

#include "base/vehicle_data.h"

// The values a command reads and writes, held by the front end (dialog or command line).
struct ConversionOptions {
  float Length = 0.0f;          // metres
  std::string SourcePath;       // the shape text to convert
  std::string EngPath;          // ENG/WAG description file; empty when none
  bool TwoFootScale = false;    // halves every converted length and the cylinder sizes
  std::string OutputDirectory;  // used exactly as entered: no separator is added
  // The compressed shape when SourcePath is a private copy of its text (its own folder could
  // not take the twin): messages name it, and its textures are found beside it. Empty when
  // SourcePath is the user's own file.
  std::string ShapePath;
  // The path the model file and its components are named after, when not SourcePath: a shape
  // the user chose is read as given but named by its file name in lower case, and so is the
  // text twin of it that SourcePath may become. Empty: SourcePath.
  std::string NamePath;
  // Converts the texture at an ACE path into a TGA path as the texture library's AceToTga does
  // (nonzero when converted). Empty: the library itself. A collection gives one that decodes
  // each texture once for all its vehicles.
  std::function<int(const std::string& ace, const std::string& tga)> ConvertAce;
};

// The file that messages name and beside which textures lie.
inline const std::string& ShapeFile(const ConversionOptions& options) {
  return options.ShapePath.empty() ? options.SourcePath : options.ShapePath;
}

// The path that names the model file and its components.
inline const std::string& NameSource(const ConversionOptions& options) {
  return options.NamePath.empty() ? options.SourcePath : options.NamePath;
}

// What a finished run wrote, so that no caller has to read the model file back to learn it.
struct ConversionResult {
  std::string model_path;  // OutputDirectory + the source's name + ".stk"
  int components = 0;      // the blocks with a Name line, the assembly among them
  int textures_converted = 0;
  int textures_missing = 0;
  float length = 0;     // metres, as converted
  VehicleData vehicle;  // the vehicle lines of the assembly, the last of each key
};
