#include "model/check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "base/text.h"

namespace model {
namespace {

// How far a vertex may stray from the vehicle before it looks like a bad matrix: the length
// plus half of it (at least 5 m) at either end, 10 m to either side, 5 m below the rail and
// 15 m above it. Generous, so that only gross misplacement is flagged.
struct VehicleBox {
  double min[3];
  double max[3];
};

VehicleBox MakeVehicleBox(double length) {
  // Without a length the assembly centres the vehicle on 0.
  double margin = std::max(0.5 * length, 5000.0);
  double along_min = length > 0 ? -margin : -30000.0;
  double along_max = length > 0 ? length + margin : 30000.0;
  return {{-10000.0, along_min, -5000.0}, {10000.0, along_max, 15000.0}};
}

bool Inside(const VehicleBox& box, const double p[3]) {
  for (int i = 0; i < 3; ++i) {
    if (p[i] < box.min[i] || p[i] > box.max[i]) return false;
  }
  return true;
}

bool ZeroArea(const Vertex& a, const Vertex& b, const Vertex& c) {
  double e1[3], e2[3];
  for (int i = 0; i < 3; ++i) {
    e1[i] = double(b.position[i]) - a.position[i];
    e2[i] = double(c.position[i]) - a.position[i];
  }
  double x = e1[1] * e2[2] - e1[2] * e2[1];
  double y = e1[2] * e2[0] - e1[0] * e2[2];
  double z = e1[0] * e2[1] - e1[1] * e2[0];
  return x == 0 && y == 0 && z == 0;
}

// The triangle faults of one component, each counted and reported once with its first line.
void CheckTriangles(const Component& c, std::vector<Diagnostic>& diagnostics) {
  size_t outside = 0, degenerate = 0;
  int64_t first_outside = 0, first_degenerate = 0;
  for (const Triangle& t : c.triangles) {
    bool in_range = true;
    for (uint32_t index : t.index) in_range = in_range && index < c.vertices.size();
    if (!in_range) {
      if (outside++ == 0) first_outside = t.line;
      continue;
    }
    bool repeated =
        t.index[0] == t.index[1] || t.index[1] == t.index[2] || t.index[0] == t.index[2];
    if (repeated ||
        ZeroArea(c.vertices[t.index[0]], c.vertices[t.index[1]], c.vertices[t.index[2]])) {
      if (degenerate++ == 0) first_degenerate = t.line;
    }
  }
  if (outside > 0) {
    diagnostics.push_back({first_outside, Severity::kError,
                           "component " + c.name + ": " + Plural(outside, "triangle") +
                               " index beyond its " +
                               Plural(c.vertices.size(), "vertex", "vertices") + " (first here)"});
  }
  if (degenerate > 0) {
    diagnostics.push_back({first_degenerate, Severity::kWarning,
                           "component " + c.name + ": " + Plural(degenerate, "triangle") +
                               " without area (first here)"});
  }
}

}  // namespace

CheckSummary CheckModel(const ModelFile& model, const std::vector<Placement>& placements,
                        const std::vector<uint32_t>& placed_count,
                        const TextureExists& texture_exists, std::vector<Diagnostic>& diagnostics) {
  CheckSummary summary;
  summary.component_count = model.components.size();
  summary.length = model.length;
  std::vector<Diagnostic> findings;

  // Textures, each looked up once.
  std::unordered_map<std::string, bool> texture_known;
  for (const Component& c : model.components) {
    if (c.skin.empty() || texture_known.count(c.skin)) continue;
    bool exists = texture_exists(c.skin);
    texture_known.emplace(c.skin, exists);
    summary.textures.push_back(c.skin);
    if (!exists) {
      summary.missing_textures.push_back(c.skin);
      findings.push_back({c.skin_line, Severity::kWarning,
                          "texture " + c.skin + " is missing beside the model file"});
    }
  }

  // Per component: local extent (so that a component placed often costs once), triangles.
  std::vector<bool> has_extent(model.components.size(), false);
  std::vector<std::array<double, 6>> extent(model.components.size());
  for (size_t i = 0; i < model.components.size(); ++i) {
    const Component& c = model.components[i];
    summary.triangle_count += c.triangles.size();
    summary.vertex_count += c.vertices.size();
    CheckTriangles(c, findings);
    if (static_cast<int64_t>(i) != model.assembly && i < placed_count.size() &&
        placed_count[i] == 0) {
      findings.push_back(
          {c.line, Severity::kWarning, "component " + c.name + " is placed by no INCLUDE"});
    }
    if (c.vertices.empty()) continue;
    has_extent[i] = true;
    auto& e = extent[i];
    for (int k = 0; k < 3; ++k) {
      e[k] = c.vertices[0].position[k];
      e[3 + k] = e[k];
    }
    for (const Vertex& v : c.vertices) {
      for (int k = 0; k < 3; ++k) {
        e[k] = std::min(e[k], double(v.position[k]));
        e[3 + k] = std::max(e[3 + k], double(v.position[k]));
      }
    }
  }

  // Placed extent, and vertices far outside the vehicle: once per component.
  VehicleBox vehicle = MakeVehicleBox(model.length);
  std::vector<bool> far_reported(model.components.size(), false);
  for (const Placement& p : placements) {
    if (!has_extent[p.component]) continue;
    const auto& e = extent[p.component];
    double low[3], high[3];
    for (int k = 0; k < 3; ++k) {
      low[k] = e[k] + p.offset[k];
      high[k] = e[3 + k] + p.offset[k];
      summary.box_min[k] = summary.has_box ? std::min(summary.box_min[k], low[k]) : low[k];
      summary.box_max[k] = summary.has_box ? std::max(summary.box_max[k], high[k]) : high[k];
    }
    summary.has_box = true;
    if ((Inside(vehicle, low) && Inside(vehicle, high)) || far_reported[p.component]) continue;
    far_reported[p.component] = true;
    const Component& c = model.components[p.component];
    size_t far = 0, first = 0;
    for (size_t v = 0; v < c.vertices.size(); ++v) {
      double at[3];
      for (int k = 0; k < 3; ++k) at[k] = c.vertices[v].position[k] + p.offset[k];
      if (!Inside(vehicle, at) && far++ == 0) first = v;
    }
    findings.push_back({c.vertices[first].line, Severity::kWarning,
                        "component " + c.name + ": " + Plural(far, "vertex", "vertices") +
                            " far outside the vehicle (first here; a bad matrix?)"});
  }
  for (size_t i = 0; i < placed_count.size(); ++i) {
    if (placed_count[i] > 0 && static_cast<int64_t>(i) != model.assembly) {
      ++summary.placed_component_count;
    }
  }

  // Length against the placed extent along the vehicle.
  if (model.assembly >= 0) {
    int64_t name_line = model.components[static_cast<size_t>(model.assembly)].line;
    if (!model.has_length || model.length <= 0) {
      findings.push_back({name_line, Severity::kWarning, "the assembly gives no Length"});
    } else if (summary.has_box) {
      double extent_along = summary.box_max[1] - summary.box_min[1];
      double tolerance = std::max(0.15 * model.length, 1000.0);
      if (std::fabs(extent_along - model.length) > tolerance) {
        findings.push_back({name_line, Severity::kWarning,
                            "the model is " + std::to_string(std::lround(extent_along)) +
                                " mm long, its Length says " +
                                std::to_string(std::lround(model.length)) + " mm"});
      }
    }
  }

  std::stable_sort(findings.begin(), findings.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  diagnostics.insert(diagnostics.end(), findings.begin(), findings.end());
  return summary;
}

CheckSummary CheckModelText(std::string_view text, const TextureExists& texture_exists,
                            std::vector<Diagnostic>& diagnostics) {
  ModelFile model;
  ReadModelFile(text, model, diagnostics);
  std::vector<Placement> placements;
  std::vector<uint32_t> placed_count;
  ResolvePlacements(model, placements, diagnostics, {}, &placed_count);
  return CheckModel(model, placements, placed_count, texture_exists, diagnostics);
}

}  // namespace model
