#include "tests/engine/test_support.h"

#include <filesystem>

MemoryRun::MemoryRun(std::string_view text) : bytes(ShapeText(text)) {
  OpenMemorySource(run.source, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  SkipBytes(run.source, 2);
  ReadLine(run);
}

Converted Convert(const ConvertRequest& request) {
  TempFolder folder;
  ConversionOptions options;
  options.Length = request.length;
  options.SourcePath = folder.Write(request.shape_name, ShapeText(request.shape));
  options.TwoFootScale = request.two_foot;
  options.OutputDirectory = folder.File("out");
  std::filesystem::create_directory(options.OutputDirectory);
  if (!request.eng.empty())
    options.EngPath = folder.Write(request.eng_name, ShapeText(request.eng));
  Converted result;
  result.ok = RunConversion(options, result.log);
  std::string model =
      folder.File("out/" + request.shape_name.substr(0, request.shape_name.rfind('.')) + ".stk");
  if (FileExists(model)) result.raw = test::ReadFile(model);
  result.model = WithoutCarriageReturns(result.raw);
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
  options.SourcePath = folder.Write(name, ShapeText(shape));
  options.OutputDirectory = folder.path();
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
