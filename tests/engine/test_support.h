// Shared helpers of the engine tests: a recording log, conversions of shapes given as text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "convert/conversion.h"
#include "convert/run.h"
#include "tests/common/common.h"

using test::FileExists;
using test::ShapeText;
using test::TempFolder;
using test::WithoutCarriageReturns;

class RecordingLog : public LogSink {
 public:
  void AppendLog(const std::string& line) override { lines.push_back(line); }
  void Beep(const BeepSite& where) override { beeps.push_back(where); }
  void ReportFileFailure(const FileFailure& failure) override { failures.push_back(failure); }
  std::vector<std::string> lines;
  std::vector<BeepSite> beeps;
  std::vector<FileFailure> failures;
};

// A run over a shape given as readable text, held in memory: its byte-order mark skipped and
// its first line read, as a conversion starts. The source path is "t.s".
struct MemoryRun {
  explicit MemoryRun(std::string_view text);
  MemoryRun(const MemoryRun&) = delete;
  MemoryRun& operator=(const MemoryRun&) = delete;
  ConversionOptions options = [] {
    ConversionOptions o;
    o.SourcePath = "t.s";
    return o;
  }();
  RecordingLog log;
  std::string bytes;
  Run run{options, log};
};

// One conversion of a shape given as readable text (and optionally an ENG/WAG file).
struct Converted {
  bool ok = false;
  RecordingLog log;
  std::string raw;    // the model file as written; empty when none was
  std::string model;  // the same with "\n" line ends
};

struct ConvertRequest {
  std::string shape;  // readable text, converted with ShapeText
  std::string shape_name = "loco.s";
  std::string eng;  // readable ENG/WAG text; none when empty
  std::string eng_name = "loco.eng";
  float length = 0;
  bool two_foot = false;
};

Converted Convert(const ConvertRequest& request);
Converted ConvertShape(const std::string& shape, float length = 0, bool two_foot = false);

// A minimal complete shape around the given sections; each argument is inserted verbatim.
struct ShapeParts {
  std::string points = "points ( 1\npoint ( 0 0 0 )\n)\n";
  std::string uv_points = "uv_points ( 1\nuv_point ( 0 0 )\n)\n";
  std::string normals = "normals ( 1\nvector ( 0 1 0 )\n)\n";
  std::string matrices = "matrices ( 1\nmatrix MAIN ( 1 0 0 0 1 0 0 0 1 0 0 0 )\n)\n";
  std::string images = "images ( 1\nimage ( loco.ace )\n)\n";
  std::string vtx_states = "vtx_states ( 1\nvtx_state ( 00000000 0 -5 0 00000002 )\n)\n";
  std::string prim_states =
      "prim_states ( 1\nprim_state ( 00000000 0\ntex_idxs ( 1 0 ) 0 0 1 1 1\n)\n)\n";
  std::string hierarchy = "hierarchy ( 1 -1 )\n";
  std::string sub_objects;  // the sub_objects header and everything after it
};
std::string BuildShape(const ShapeParts& parts);
// The minimal tables and no sub-objects.
std::string EmptyShape();
// Writes shape (readable text) into folder as name; the options convert it into folder.
ConversionOptions OptionsForShape(const TempFolder& folder, const std::string& shape,
                                  const std::string& name = "loco.s");

// One sub-object: its vertices section and its primitives section, verbatim.
std::string SubObject(const std::string& vertices, const std::string& primitives);
// A vertices section with one vertex per (point, normal, uv) triple.
std::string Vertices(const std::vector<std::vector<int>>& entries);
// An indexed_trilist entry with the given vertex_idxs text (count included).
std::string Trilist(const std::string& vertex_idxs);
