// The model file (.stk) as the conversion writes it, read back into plain tables, and its
// placement tree resolved from the assembly down. Takes text, never a path: the front ends
// read the file. Nothing in the text is trusted; every problem is a diagnostic with its line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/diagnostic.h"
#include "base/model_limits.h"

namespace model {

using Severity = ::Severity;  // the program's one severity of a diagnostic

struct Diagnostic {
  int64_t line = 0;  // 1-based; 0 for the file as a whole
  Severity severity = Severity::kError;
  std::string message;
};

// One line of a VertexBuffer: position and normal in the model's axes (x across the vehicle,
// y along it, z up), millimetres; the normal as written (its length is the unit scale).
struct Vertex {
  float position[3] = {0, 0, 0};
  float normal[3] = {0, 0, 0};
  float uv[2] = {0, 0};
  int64_t line = 0;  // blank and refused lines of the buffer make it no count from its start
};

struct Triangle {
  uint32_t index[3] = {0, 0, 0};  // into the component's vertex buffer, unchecked by the reader
  int64_t line = 0;
};

struct Include {
  double offset[3] = {0, 0, 0};  // millimetres, model axes
  std::string target;            // the component name
  std::string comment;           // the text after "##", trimmed; empty when none
  int64_t line = 0;
};

// A vehicle line of the assembly ("Weight 61") or of its steam block.
struct Parameter {
  std::string key;
  std::string value;
  bool steam = false;
};

struct Component {
  std::string name;
  int64_t line = 0;           // of its Name line
  bool is_component = false;  // has a "Component" line; the assembly has none
  bool millimetric = false;
  std::string skin;  // texture file name from the Skin line; empty when none
  int64_t skin_line = 0;
  std::vector<Triangle> triangles;
  std::vector<Vertex> vertices;
  int64_t vertex_buffer_line = 0;
  std::vector<Include> includes;
};

struct ModelFile {
  std::vector<std::string> header;    // the "##" lines before the first block, without "##"
  std::vector<std::string> textures;  // the assembly's "Textures used" list, as written
  std::vector<Component> components;  // in file order, the assembly among them
  std::vector<Parameter> parameters;
  int64_t assembly = -1;  // index into components; -1 when there is none
  double length = 0;      // the assembly's Length, millimetres
  bool has_length = false;
  int64_t line_count = 0;
};

// What the reader refuses to go beyond, whatever the file says.
struct ReadLimits {
  size_t max_line_length = 1 << 16;
  double max_coordinate = kMaxModelMillimetres;
  size_t max_diagnostics = 200;  // further problems are counted in one closing line
};

// Reads text into model. Every malformed or unexpected line gives one diagnostic with its line
// number; reading goes on with the next line. Accepts LF and CR LF.
void ReadModelFile(std::string_view text, ModelFile& model, std::vector<Diagnostic>& diagnostics,
                   const ReadLimits& limits = {});

// One placed component: its index and the sum of the offsets from the assembly down.
struct Placement {
  size_t component = 0;
  double offset[3] = {0, 0, 0};
  int depth = 0;
};

struct PlacementLimits {
  int max_depth = 64;
  size_t max_placements = 1 << 20;
};

// The components reached from the assembly through INCLUDE lines, depth first in file order.
// An INCLUDE naming no component, a cycle, or a tree beyond the limits is an error at the
// INCLUDE line concerned; the branch is not followed. placed_count (when given) is sized to
// the components and counts how often each is placed.
void ResolvePlacements(const ModelFile& model, std::vector<Placement>& placements,
                       std::vector<Diagnostic>& diagnostics, const PlacementLimits& limits = {},
                       std::vector<uint32_t>* placed_count = nullptr);

// The index of the component named name; -1 when there is none (the first wins).
int64_t FindComponent(const ModelFile& model, std::string_view name);

bool HasErrors(const std::vector<Diagnostic>& diagnostics);

}  // namespace model
