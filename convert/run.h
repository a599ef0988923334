// The state of one conversion run, shared by the block writers.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "convert/conversion.h"
#include "convert/shape_reader.h"
#include "convert/shape_tables.h"

// The model file, written forward in text mode: every "\n" is stored as "\r\n".
struct ModelFile {
  std::FILE* file = nullptr;
  std::string path;
  std::string pending;  // bytes not yet handed to the file
};

struct Run {
  const ConversionOptions& options;
  LogSink& log;
  ByteSource source;
  CurrentLine line;
  std::string scratch;  // a second line buffer for gathering lists
  ShapeTables tables;
  float UnitScale = 1000.0f;
  std::string ModelName;
  std::string model_path;
  std::string AssemblyIncludes;
  ModelFile model;
  std::string text;  // scratch for formatting one piece of output
};

// Ends the run early: a file failure, or the shape text ending where a section or the rest of
// a list was sought. Caught by RunConversion, which reports it.
struct RunAborted {
  FileFailure failure;
};

// keyword between double quotes, as a beep names what was expected.
std::string QuotedKeyword(std::string_view keyword);
// Reports a malformed entry at the current line of the shape text.
void BeepAt(Run& run, std::string expected);
// Throws RunAborted for the end of the shape text (or the read error that ended it).
[[noreturn]] void AbortAtEndOfText(Run& run);
// SeekSection that aborts the run at the end of the shape text.
void SeekSectionOrAbort(Run& run, std::string_view keyword);
void ReadLine(Run& run);
void ReadNormalisedLine(Run& run);
float ReadFloatField(const Run& run);
int32_t ReadIntField(const Run& run);

bool CreateModelFile(ModelFile& model, const std::string& path);
// Appends text (converting "\n" to "\r\n"); throws RunAborted when the file cannot be written.
void WriteText(ModelFile& model, std::string_view text);
// Writes piece once it has grown large, and empties it; the caller writes the rest at the end.
void WriteWhenLarge(ModelFile& model, std::string& piece);
void CloseModelFile(ModelFile& model);    // flushes and closes; throws RunAborted on failure
void DiscardModelFile(ModelFile& model);  // closes after a failure, keeping what was written

void ReadShapeTables(Run& run);
void WriteHeaderComment(Run& run);
void WriteSubObjects(Run& run);
bool WriteGeometryBlocks(Run& run, struct VertexTable& vertices, const ShapeMatrix& matrix,
                         bool trilist_line_read);
void WriteAssemblySection(Run& run);
void WriteVehicleParameters(Run& run);
void WriteMatrixHierarchy(Run& run);

// Replaces every ".ace" of text by ".tga".
std::string ReplaceAceWithTga(std::string_view text);
// The text behind the last "/" or "\" (all of path when there is none).
size_t LastSeparator(std::string_view path);
