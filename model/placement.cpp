#include <string>
#include <unordered_map>

#include "model/model_file.h"

namespace model {
namespace {

class Resolver {
 public:
  Resolver(const ModelFile& model, std::vector<Placement>& placements,
           std::vector<Diagnostic>& diagnostics, const PlacementLimits& limits)
      : model_(model), placements_(placements), diagnostics_(diagnostics), limits_(limits) {
    for (size_t i = 0; i < model.components.size(); ++i) {
      names_.emplace(model.components[i].name, i);
    }
    on_path_.assign(model.components.size(), false);
  }

  // Places component at offset and everything below it; an INCLUDE that cannot be followed is
  // reported once per line, however often its component is placed.
  void Place(size_t component, const double offset[3], int depth) {
    if (placements_.size() >= limits_.max_placements) {
      too_many_ = true;
      return;
    }
    Placement placement;
    placement.component = component;
    placement.depth = depth;
    for (int i = 0; i < 3; ++i) placement.offset[i] = offset[i];
    placements_.push_back(placement);
    on_path_[component] = true;
    const Component& c = model_.components[component];
    for (const Include& include : c.includes) {
      if (++work_ > 4 * limits_.max_placements) {
        too_many_ = true;
        break;
      }
      auto found = names_.find(include.target);
      if (found == names_.end()) {
        ReportOnce(include, "INCLUDE names no component: " + include.target);
        continue;
      }
      size_t target = found->second;
      if (on_path_[target]) {
        ReportOnce(include,
                   "INCLUDE cycle: " + include.target + " includes itself through " + c.name);
        continue;
      }
      if (depth + 1 > limits_.max_depth) {
        ReportOnce(include, "INCLUDE nesting deeper than " + std::to_string(limits_.max_depth));
        continue;
      }
      double next[3];
      for (int i = 0; i < 3; ++i) next[i] = offset[i] + include.offset[i];
      Place(target, next, depth + 1);
      if (too_many_) break;
    }
    on_path_[component] = false;
  }

  void Finish() {
    if (too_many_) {
      diagnostics_.push_back(
          {0, Severity::kError,
           "more than " + std::to_string(limits_.max_placements) +
               " placed components: the INCLUDE tree is not followed to its end"});
    }
  }

 private:
  void ReportOnce(const Include& include, std::string message) {
    if (!reported_lines_.emplace(include.line, true).second) return;
    diagnostics_.push_back({include.line, Severity::kError, std::move(message)});
  }

  const ModelFile& model_;
  std::vector<Placement>& placements_;
  std::vector<Diagnostic>& diagnostics_;
  const PlacementLimits& limits_;
  std::unordered_map<std::string, size_t> names_;
  std::unordered_map<int64_t, bool> reported_lines_;
  std::vector<bool> on_path_;
  size_t work_ = 0;  // INCLUDE lines visited: a shared component placed often costs each time
  bool too_many_ = false;
};

}  // namespace

int64_t FindComponent(const ModelFile& model, std::string_view name) {
  for (size_t i = 0; i < model.components.size(); ++i) {
    if (model.components[i].name == name) return static_cast<int64_t>(i);
  }
  return -1;
}

void ResolvePlacements(const ModelFile& model, std::vector<Placement>& placements,
                       std::vector<Diagnostic>& diagnostics, const PlacementLimits& limits,
                       std::vector<uint32_t>* placed_count) {
  placements.clear();
  if (model.assembly >= 0) {
    Resolver resolver(model, placements, diagnostics, limits);
    const double origin[3] = {0, 0, 0};
    resolver.Place(static_cast<size_t>(model.assembly), origin, 0);
    resolver.Finish();
  }
  if (placed_count != nullptr) {
    placed_count->assign(model.components.size(), 0);
    for (const Placement& p : placements) {
      if ((*placed_count)[p.component] < UINT32_MAX) ++(*placed_count)[p.component];
    }
  }
}

}  // namespace model
