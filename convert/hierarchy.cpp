#include "convert/hierarchy.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "convert/numbers.h"
#include "convert/run.h"

namespace {

// Which matrices hang below which, in index order. Matrices read from the file (and those the
// hierarchy named one by one) are listed; the announced rest comes in two ranges with one
// parent each: the repeated tail of the hierarchy line, then the matrices it never reached.
struct ChildIndex {
  std::vector<std::pair<int32_t, int32_t>> links;  // (parent, child), sorted
  int64_t listed_end = 0;                          // matrices below this index are in links
  int64_t tail_end = 0;                            // [listed_end, tail_end) has parent tail_parent
  int32_t tail_parent = 0;
  int64_t walk_end = 0;  // [tail_end, walk_end) has parent 0
};

ChildIndex IndexChildren(const ShapeTables& t, int64_t walk_end) {
  ChildIndex index;
  index.walk_end = walk_end;
  index.listed_end = std::min<int64_t>(
      walk_end, static_cast<int64_t>(t.matrices.size() + t.unread_parents.size()));
  for (int64_t j = 0; j < index.listed_end; ++j) {
    int32_t parent = MatrixParent(t, j);
    if (parent >= 0) index.links.emplace_back(parent, static_cast<int32_t>(j));
  }
  std::sort(index.links.begin(), index.links.end());
  index.tail_parent = t.tail_parent;
  index.tail_end = std::clamp<int64_t>(t.tail_end, index.listed_end, walk_end);
  return index;
}

void AppendPlacement(Run& run, std::string& out, int64_t j, bool top_level) {
  const ShapeMatrix& m = MatrixAt(run.tables, j);
  double s = run.UnitScale;
  double along = static_cast<double>(m.values[11]);
  if (top_level) along = static_cast<double>(run.options.Length) * 0.5 + along;
  out += "\tINCLUDE ";
  AppendWholeTriple(out, static_cast<double>(m.values[9]) * s, along * s,
                    static_cast<double>(m.values[10]) * s);
  out += "\t ";
  out += run.ModelName;
  out += ".MTX.";
  AppendInt(out, j);
  out += '\n';
  WriteWhenLarge(run.model, out);
}

void AppendChildPlacements(Run& run, std::string& out, const ChildIndex& index, int32_t parent,
                           bool top_level) {
  auto first =
      std::lower_bound(index.links.begin(), index.links.end(), std::make_pair(parent, INT32_MIN));
  for (auto it = first; it != index.links.end() && it->first == parent; ++it) {
    AppendPlacement(run, out, it->second, top_level);
  }
  if (index.tail_parent == parent) {
    for (int64_t j = index.listed_end; j < index.tail_end; ++j)
      AppendPlacement(run, out, j, top_level);
  }
  if (parent == 0) {
    for (int64_t j = index.tail_end; j < index.walk_end; ++j)
      AppendPlacement(run, out, j, top_level);
  }
}

// Whether following the parents up from matrix 0 comes back to it. The assembly places the
// children of matrix 0, so only such a loop puts an INCLUDE cycle in the placed tree.
bool RootIsItsOwnAncestor(const ShapeTables& t, int64_t walk_end) {
  int64_t at = 0;
  for (int64_t step = 0; step < walk_end; ++step) {
    at = MatrixParent(t, at);
    if (at == 0) return true;
    if (at < 0 || at >= walk_end) return false;
  }
  return false;
}

}  // namespace

void WriteMatrixHierarchy(Run& run) {
  run.log.AppendLog("Outputing matrix heirarchy");
  const ShapeTables& t = run.tables;
  int64_t walk_end = WalkCount(t, t.matrix_count);
  ChildIndex index = IndexChildren(t, walk_end);
  std::string out = "\n";
  AppendChildPlacements(run, out, index, 0, true);
  for (int64_t i = 0; i < walk_end; ++i) {
    if (MatrixParent(t, i) < 0) continue;
    out += "\n[end]\nName ";
    out += run.ModelName;
    ++run.written.components;
    out += ".MTX.";
    AppendInt(out, i);
    out += "\nComponent\nMillimetric\n";
    if (const std::string* includes = FindMatrixIncludes(t, i)) out += *includes;
    out += '\n';
    AppendChildPlacements(run, out, index, static_cast<int32_t>(i), false);
  }
  WriteText(run.model, out);
  if (RootIsItsOwnAncestor(t, walk_end)) {
    run.log.ReportWarning({ShapeFile(run.options),
                           "its hierarchy makes matrix 0 its own ancestor: the model file's "
                           "matrix components include each other in a cycle"});
  }
}
