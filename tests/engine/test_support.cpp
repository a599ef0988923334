#include "tests/engine/test_support.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

ConversionOptions MemoryRunOptions() {
  ConversionOptions options;
  options.SourcePath = "t.s";
  return options;
}

}  // namespace

MemoryRun::MemoryRun(std::string_view text) : options(MemoryRunOptions()), bytes(ShapeText(text)) {
  OpenMemorySource(run.source, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  SkipBytes(run.source, 2);
  ReadLine(run);
}

Converted Convert(const ConvertRequest& request) {
  TempFolder folder;
  std::string source = folder.path() + "/" + request.shape_name;
  test::WriteFile(source, ShapeText(request.shape));
  ConversionOptions options;
  options.SourcePath = source;
  options.OutputDirectory = folder.path() + "/out";
  std::filesystem::create_directory(options.OutputDirectory);
  options.Length = request.length;
  options.TwoFootScale = request.two_foot;
  if (!request.eng.empty()) {
    options.EngPath = folder.path() + "/" + request.eng_name;
    test::WriteFile(options.EngPath, ShapeText(request.eng));
  }
  Converted result;
  result.ok = RunConversion(options, result.log);
  std::string stem = request.shape_name.substr(0, request.shape_name.rfind('.'));
  std::string model = options.OutputDirectory + "/" + stem + ".stk";
  result.model_written = FileExists(model);
  if (result.model_written) result.model = WithoutCarriageReturns(test::ReadFile(model));
  return result;
}

Converted ConvertShape(const std::string& shape, float length, bool two_foot) {
  ConvertRequest request;
  request.shape = shape;
  request.length = length;
  request.two_foot = two_foot;
  return Convert(request);
}

std::string BuildShape(const ShapeParts& parts) {
  return "SIMISA@@@@@@@@@@JINX0s1t______\n\nshape (\n" + parts.points + parts.uv_points +
         parts.normals + parts.matrices + parts.images + parts.vtx_states + parts.prim_states +
         "lod_controls ( 1\n" + parts.hierarchy + parts.sub_objects + ")\n)\n";
}

std::string EmptyShape() {
  ShapeParts parts;
  parts.sub_objects = "sub_objects ( 0 )\n";
  return BuildShape(parts);
}

ConversionOptions OptionsForShape(const TempFolder& folder, const std::string& shape,
                                  const std::string& name) {
  ConversionOptions options;
  options.SourcePath = folder.path() + "/" + name;
  options.OutputDirectory = folder.path();
  test::WriteFile(options.SourcePath, ShapeText(shape));
  return options;
}

std::string SubObject(const std::string& vertices, const std::string& primitives) {
  return "sub_object (\nsub_object_header ( 00000400 -1 -1 000001d2 000001c4\n)\n" + vertices +
         "vertex_sets ( 0 )\n" + primitives + ")\n";
}

std::string Vertices(const std::vector<std::vector<int>>& entries) {
  std::string text = "vertices ( " + std::to_string(entries.size()) + "\n";
  for (const auto& e : entries) {
    text += "vertex ( 00000000 " + std::to_string(e[0]) + " " + std::to_string(e[1]) +
            " ffffffff ff000000\nvertex_uvs ( 1 " + std::to_string(e[2]) + " )\n)\n";
  }
  return text + ")\n";
}

std::string Trilist(const std::string& vertex_idxs) {
  return "indexed_trilist (\nvertex_idxs ( " + vertex_idxs +
         " )\nnormal_idxs ( 1 0 3 )\nflags ( 1 00000000 )\n)\n";
}

std::string Between(const std::string& text, const std::string& from, const std::string& to) {
  std::string from_line = from + "\n";
  size_t start = text.find(from_line);
  if (start == std::string::npos) return "<" + from + " not found>";
  start += from_line.size();
  size_t end = text.find(to + "\n", start);
  if (end == std::string::npos) return text.substr(start);
  return text.substr(start, end - start);
}
