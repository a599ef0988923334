// The state of one conversion run, shared by the block writers, and the helpers with which
// they read the shape text and report what they meet in it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "convert/conversion_options.h"
#include "convert/log_sink.h"
#include "convert/model_writer.h"
#include "convert/run_aborted.h"
#include "convert/shape_reader.h"
#include "convert/shape_tables.h"

struct Run {
  // UnitScale, ModelName and model_path follow from options; nothing is opened yet.
  Run(const ConversionOptions& run_options, LogSink& run_log);

  const ConversionOptions& options;
  LogSink& log;
  ByteSource source;
  CurrentLine line;
  std::string scratch;  // a second line buffer for gathering lists
  ShapeTables tables;
  float UnitScale = 1000.0f;  // millimetres per metre; half of it for the 2-ft scale
  std::string ModelName;      // the base name of every component
  std::string model_path;
  std::string AssemblyIncludes;  // INCLUDE lines that the assembly places
  ModelWriter model;
  ConversionResult written;  // what the model file holds so far
  std::string text;          // scratch for formatting one piece of output
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
// Whether the current line begins with keyword; when it does not, a beep names the keyword.
bool LineHasKeyword(Run& run, std::string_view keyword);
// Reads and normalises the next line, then LineHasKeyword.
bool ReadKeywordLine(Run& run, std::string_view keyword);
// Whether 0 <= index < count; otherwise a beep "WHAT index below COUNT".
bool CheckIndexBelow(Run& run, std::string_view what, int64_t index, int32_t count);
float ReadFloatField(const Run& run);
int32_t ReadIntField(const Run& run);
