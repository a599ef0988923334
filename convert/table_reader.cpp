#include "convert/table_reader.h"

#include <algorithm>

#include "base/text.h"
#include "convert/numbers.h"
#include "convert/run.h"
#include "convert/shape_keywords.h"

namespace {

// Room for the entries announced, but never more than the file could hold: each entry takes
// at least its keyword and a line end. Large entries get a modest start and grow as read.
template <typename T>
void ReserveEntries(const Run& run, std::vector<T>& entries, int32_t count, size_t keyword_length) {
  if (count <= 0) return;
  uint64_t bound = run.source.total_bytes / (2 * (keyword_length + 1)) + 1;
  if (sizeof(T) > 16) bound = std::min<uint64_t>(bound, 4096);
  entries.reserve(static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(count), bound)));
}

int32_t ReadCountedSection(Run& run, std::string_view keyword, const char* log_line) {
  SeekSectionOrAbort(run, keyword);
  if (log_line != nullptr) run.log.AppendLog(log_line);
  return ReadSectionCount(run.line);
}

void ReadVectors(Run& run, std::vector<Vec3f>& table, int32_t count, std::string_view keyword) {
  ReserveEntries(run, table, count, keyword.size());
  for (int32_t i = 0; i < count; ++i) {
    if (!ReadKeywordLine(run, keyword)) return;
    Vec3f v;
    SkipPast(run.line, '(');
    v.x = ReadFloatField(run);
    SkipPast(run.line, ' ');
    v.y = ReadFloatField(run);
    SkipPast(run.line, ' ');
    v.z = ReadFloatField(run);
    table.push_back(v);
  }
}

void ReadUvPoints(Run& run) {
  ShapeTables& t = run.tables;
  ReserveEntries(run, t.uv_points, t.uv_point_count, keywords::kUvPoint.size());
  for (int32_t i = 0; i < t.uv_point_count; ++i) {
    if (!ReadKeywordLine(run, keywords::kUvPoint)) return;
    Vec2f uv;
    SkipPast(run.line, '(');
    uv.u = ReadFloatField(run);
    SkipPast(run.line, ' ');
    uv.v = ReadFloatField(run);
    t.uv_points.push_back(uv);
  }
}

void ReadMatrices(Run& run) {
  ShapeTables& t = run.tables;
  ReserveEntries(run, t.matrices, t.matrix_count, keywords::kMatrix.size());
  for (int32_t i = 0; i < t.matrix_count; ++i) {
    if (!ReadKeywordLine(run, keywords::kMatrix)) return;
    ShapeMatrix m;
    DropFront(run.line, keywords::kMatrix.size());
    TrimLine(run.line);
    std::string_view rest = LineView(run.line);
    size_t blank = rest.find(' ');
    if (blank != std::string_view::npos) m.name.assign(rest.substr(0, blank));
    SkipPast(run.line, '(');
    for (float& value : m.values) {
      value = ReadFloatField(run);
      SkipPast(run.line, ' ');
    }
    t.matrices.push_back(std::move(m));
  }
}

// The name between the first "(" and the ")" after it, trimmed; quotes around it dropped.
std::string CutImageName(Run& run) {
  SkipPast(run.line, '(');
  std::string_view rest = LineView(run.line);
  size_t close = rest.find(')');
  std::string_view name =
      close == std::string_view::npos ? std::string_view() : rest.substr(0, close);
  while (!name.empty() && IsCSpace(name.back())) name.remove_suffix(1);
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
    name = name.substr(1, name.size() - 2);
  return std::string(name);
}

void ReadImages(Run& run) {
  ShapeTables& t = run.tables;
  ReserveEntries(run, t.images, t.image_count, keywords::kImage.size());
  for (int32_t i = 0; i < t.image_count; ++i) {
    if (!ReadKeywordLine(run, keywords::kImage)) return;
    t.images.push_back(CutImageName(run));
  }
}

void ReadVtxStates(Run& run) {
  ShapeTables& t = run.tables;
  ReserveEntries(run, t.vtx_states, t.vtx_state_count, keywords::kVtxState.size());
  for (int32_t i = 0; i < t.vtx_state_count; ++i) {
    if (!ReadKeywordLine(run, keywords::kVtxState)) return;
    DropFront(run.line, keywords::kVtxState.size() + 2);  // the keyword, a blank and "("
    TrimLine(run.line);
    SkipPast(run.line, ' ');
    t.vtx_states.push_back(ReadIntField(run));
  }
}

void ReadPrimStates(Run& run) {
  ShapeTables& t = run.tables;
  ReserveEntries(run, t.prim_states, t.prim_state_count, keywords::kPrimState.size());
  for (int32_t i = 0; i < t.prim_state_count; ++i) {
    ReadLine(run);  // the entry's own header line
    if (!ReadKeywordLine(run, keywords::kTexIdxs)) return;
    PrimState state;
    SkipPast(run.line, '(');
    SkipPast(run.line, ' ');  // the length of the texture list
    state.tex_idx = ReadIntField(run);
    SkipPast(run.line, ')');
    SkipPast(run.line, ' ');  // the first number behind the list
    state.vtx_state = ReadIntField(run);
    ReadLine(run);  // the entry's closing line
    t.prim_states.push_back(state);
  }
}

void SetParent(ShapeTables& t, int32_t i, int32_t parent) {
  if (i < static_cast<int32_t>(t.matrices.size())) {
    t.matrices[static_cast<size_t>(i)].parent = parent;
  } else {
    t.unread_parents.push_back(parent);
  }
}

// All parents sit on the header line. Once the line stops moving (no blank is left), every
// further value would read the same, so the rest is kept as one repeated value.
void ReadHierarchy(Run& run) {
  ShapeTables& t = run.tables;
  SkipPast(run.line, '(');
  int32_t n = ReadIntField(run);
  SkipPast(run.line, ' ');
  int32_t end = std::min(n, t.matrix_count);
  for (int32_t i = 0; i < end; ++i) {
    int32_t parent = ReadIntField(run);
    SetParent(t, i, parent);
    if (!SkipPast(run.line, ' ')) {
      int32_t stored = static_cast<int32_t>(t.matrices.size());
      for (int32_t j = i + 1; j < std::min(end, stored); ++j)
        t.matrices[static_cast<size_t>(j)].parent = parent;
      t.tail_parent = parent;
      t.tail_begin = std::max(i + 1, stored);
      t.tail_end = std::max(end, t.tail_begin);
      return;
    }
  }
}

}  // namespace

void ReadShapeTables(Run& run) {
  ShapeTables& t = run.tables;
  t.point_count = ReadCountedSection(run, keywords::kPoints, "Reading points");
  ReadVectors(run, t.points, t.point_count, keywords::kPoint);
  t.uv_point_count = ReadCountedSection(run, keywords::kUvPoints, "Reading UV points");
  ReadUvPoints(run);
  t.normal_count = ReadCountedSection(run, keywords::kNormals, "Reading Normals");
  ReadVectors(run, t.normals, t.normal_count, keywords::kVector);
  t.matrix_count = ReadCountedSection(run, keywords::kMatrices, "Reading matrices");
  ReadMatrices(run);
  t.image_count = ReadCountedSection(run, keywords::kImages, "Reading textures");
  ReadImages(run);
  t.vtx_state_count = ReadCountedSection(run, keywords::kVtxStates, "Reading Vertex States");
  ReadVtxStates(run);
  t.prim_state_count = ReadCountedSection(run, keywords::kPrimStates, "Reading primitive states");
  ReadPrimStates(run);
  SeekSectionOrAbort(run, keywords::kHierarchy);
  ReadHierarchy(run);
  t.sub_object_count = ReadCountedSection(run, keywords::kSubObjects, nullptr);
}
