// The conversion of one MSTS shape text into one model file: the engine's entry point.
#pragma once

#include <string>

#include "base/vehicle_data.h"
#include "convert/log_sink.h"

// The values a command reads and writes, held by the front end (dialog or command line).
struct ConversionOptions {
  float Length = 0.0f;          // metres
  std::string SourcePath;       // the shape text to convert
  std::string EngPath;          // ENG/WAG description file; empty when none
  bool TwoFootScale = false;    // halves every converted length and the cylinder sizes
  std::string OutputDirectory;  // used exactly as entered: no separator is added
};

// What a finished run wrote, so that no caller has to read the model file back to learn it.
struct ConversionResult {
  std::string model_path;  // as MakeModelPath gives it
  int components = 0;      // the blocks with a Name line, the assembly among them
  int textures_converted = 0;
  int textures_missing = 0;
  float length = 0;     // metres, as converted
  VehicleData vehicle;  // the vehicle lines of the assembly, the last of each key
};

// The model file a conversion with options writes: OutputDirectory, the source's file name up to
// its last "." with every "_ASC" removed, and ".stk".
std::string MakeModelPath(const ConversionOptions& options);

// Converts options.SourcePath into OutputDirectory + name + ".stk" and its textures. Returns
// true when the run reached its closing line; false after a file failure or an unexpected end
// of the shape text, which has then been reported through log.ReportFileFailure.
bool RunConversion(const ConversionOptions& options, LogSink& log);
// The same, telling through result what was written (after a failure: up to the failure).
bool RunConversion(const ConversionOptions& options, LogSink& log, ConversionResult& result);
