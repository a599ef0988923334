#include "convert/run.h"

#include <cstring>

#include "base/paths.h"
#include "convert/numbers.h"

namespace {

// The base name of every component: the file name cut at its first ".", and before an
// "_ASC" that does not start it.
std::string MakeModelName(const std::string& source_path) {
  std::string name = FileName(source_path);
  size_t dot = name.find('.');
  name = dot == std::string::npos ? std::string() : name.substr(0, dot);
  size_t asc = name.find("_ASC");  // the mark of a decompressed shape's text twin
  if (asc != std::string::npos && asc > 0) name.resize(asc);
  return name;
}

// The model file a conversion with options writes: OutputDirectory, the source's file name
// from its last separator up to its last "." with every "_ASC" removed, and ".stk".
std::string MakeModelPath(const ConversionOptions& options) {
  const std::string& source = NameSource(options);
  size_t cut = LastSeparator(source);
  std::string tail = cut == std::string::npos ? source : source.substr(cut);
  size_t dot = tail.rfind('.');
  tail = dot == std::string::npos ? std::string() : tail.substr(0, dot);
  std::string name;
  for (size_t at = 0; at < tail.size();) {
    if (tail.compare(at, 4, "_ASC") == 0) {
      at += 4;
    } else {
      name += tail[at++];
    }
  }
  return options.OutputDirectory + name + ".stk";
}

}  // namespace

Run::Run(const ConversionOptions& run_options, LogSink& run_log)
    : options(run_options),
      log(run_log),
      UnitScale(run_options.TwoFootScale ? 500.0f : 1000.0f),
      ModelName(MakeModelName(NameSource(run_options))),
      model_path(MakeModelPath(run_options)) {}

std::string QuotedKeyword(std::string_view keyword) {
  std::string quoted;
  quoted.reserve(keyword.size() + 2);
  quoted += '"';
  quoted += keyword;
  quoted += '"';
  return quoted;
}

void BeepAt(Run& run, std::string expected) {
  run.log.Beep(BeepSite{ShapeFile(run.options), run.line.number, std::move(expected)});
}

void AbortAtEndOfText(Run& run) {
  if (run.source.read_error != 0) {
    throw RunAborted{{ShapeFile(run.options), std::strerror(run.source.read_error)}};
  }
  std::string trouble = TextTrouble(run.source);
  throw RunAborted{{ShapeFile(run.options),
                    "unexpected end of shape text" + (trouble.empty() ? "" : ": " + trouble)}};
}

void SeekSectionOrAbort(Run& run, std::string_view keyword) {
  if (!SeekSection(run.source, run.line, keyword)) AbortAtEndOfText(run);
}

void ReadLine(Run& run) { ReadNextLine(run.source, run.line); }

void ReadNormalisedLine(Run& run) {
  ReadNextLine(run.source, run.line);
  NormaliseLine(run.line);
}

bool LineHasKeyword(Run& run, std::string_view keyword) {
  if (LineStartsWith(run.line, keyword)) return true;
  BeepAt(run, QuotedKeyword(keyword));
  return false;
}

bool ReadKeywordLine(Run& run, std::string_view keyword) {
  ReadNormalisedLine(run);
  return LineHasKeyword(run, keyword);
}

bool CheckIndexBelow(Run& run, std::string_view what, int64_t index, int32_t count) {
  if (index >= 0 && index < count) return true;
  std::string expected(what);
  expected += " index below ";
  AppendInt(expected, count);
  BeepAt(run, std::move(expected));
  return false;
}

float ReadFloatField(const Run& run) { return RoundToFloat(ReadLeadingDouble(LineView(run.line))); }

int32_t ReadIntField(const Run& run) { return ReadLeadingInt(LineView(run.line)); }
