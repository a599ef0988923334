#include "convert/geometry.h"

#include <algorithm>

#include "convert/numbers.h"
#include "convert/run.h"
#include "convert/shape_keywords.h"
#include "convert/vertex_table.h"

namespace {

// Appends the following lines (with separator between) until the current line holds a ")";
// the end of the shape text before it ends the run.
void GatherList(Run& run, char separator) {
  size_t checked = run.line.begin;
  while (std::string_view(run.line.text).substr(checked, run.line.end - checked).find(')') ==
         std::string_view::npos) {
    if (run.line.end_of_file) AbortAtEndOfText(run);
    checked = run.line.end;
    AppendNextLine(run.source, run.line, separator, run.scratch);
  }
}

// Reads lines until one holds a ")"; the list is not used, so it is not kept.
void SkipList(Run& run) {
  if (LineView(run.line).find(')') != std::string_view::npos) return;
  for (;;) {
    if (run.line.end_of_file) AbortAtEndOfText(run);
    ReadShapeLine(run.source, run.scratch, run.line.end_of_file);
    ++run.line.number;
    if (run.scratch.find(')') != std::string::npos) break;
  }
  // The current line is then the gathered list; only its end is ever looked at again.
  run.line.text = run.scratch;
  run.line.begin = 0;
  run.line.end = run.line.text.size();
}

// Whether vertex-table entry a was read (and so is stored in entries).
bool IsStored(const VertexTable& vertices, int32_t a) {
  return a >= 0 && static_cast<size_t>(a) < vertices.entries.size();
}

void ResetVertexBuffer(VertexTable& vertices) {
  for (int32_t a : vertices.buffer_order) {
    if (IsStored(vertices, a)) vertices.entries[static_cast<size_t>(a)].buffer_idx = -1;
  }
  vertices.unread_buffer_idx.clear();
  vertices.buffer_order.clear();
}

int32_t& BufferIndex(VertexTable& vertices, int32_t a) {
  if (IsStored(vertices, a)) return vertices.entries[static_cast<size_t>(a)].buffer_idx;
  auto [slot, inserted] = vertices.unread_buffer_idx.try_emplace(a, -1);
  return slot->second;
}

int32_t AddToBuffer(VertexTable& vertices, int32_t a) {
  int32_t& index = BufferIndex(vertices, a);
  if (index < 0) {
    index = static_cast<int32_t>(vertices.buffer_order.size());
    vertices.buffer_order.push_back(a);
  }
  return index;
}

SubObjectVertex VertexAt(const VertexTable& vertices, int32_t a) {
  if (IsStored(vertices, a)) return vertices.entries[static_cast<size_t>(a)];
  return SubObjectVertex{};
}

// Reads the next index of the list. Once no blank is left the line stops moving and every
// further index reads the same, so it is read once rather than rescanning the line each time.
struct IndexCursor {
  bool stuck = false;
  int32_t value = 0;
};

int32_t ReadIndex(Run& run, IndexCursor& cursor) {
  if (cursor.stuck) return cursor.value;
  int32_t value = ReadIntField(run);
  if (!SkipPast(run.line, ' ')) {
    cursor.stuck = true;
    cursor.value = ReadIntField(run);
  }
  return value;
}

void WriteTriangles(Run& run, VertexTable& vertices, int64_t triangles) {
  std::string& out = run.model.pending;
  IndexCursor cursor;
  for (int64_t n = 0; n < triangles; ++n) {
    int32_t a[3];
    for (int32_t& index : a) index = ReadIndex(run, cursor);
    // One beep for a triangle with any index outside the table: the lowest when it is
    // negative, else the highest, is the one to check.
    auto [lowest, highest] = std::minmax({a[0], a[1], a[2]});
    if (!CheckIndexBelow(run, "vertex", lowest < 0 ? lowest : highest, vertices.vertex_count))
      continue;
    int32_t b1 = AddToBuffer(vertices, a[0]);
    int32_t b2 = AddToBuffer(vertices, a[1]);
    int32_t b3 = AddToBuffer(vertices, a[2]);
    char text[80];  // three indexes and their separators: one append a line
    char* end = text;
    *end++ = '\t';
    end = PutInt(end, b1);
    *end++ = ',';
    end = PutInt(end, b3);
    *end++ = ',';
    end = PutInt(end, b2);
    *end++ = '\r';
    *end++ = '\n';
    out.append(text, static_cast<size_t>(end - text));
    FlushWhenLarge(run.model);
  }
}

void WriteVertexBuffer(Run& run, const VertexTable& vertices, const ShapeMatrix& matrix) {
  const ShapeTables& t = run.tables;
  const double s = run.UnitScale;
  double m[9];
  for (int n = 0; n < 9; ++n) m[n] = matrix.values[n];
  std::string& out = run.model.pending;
  for (int32_t a : vertices.buffer_order) {
    SubObjectVertex e = VertexAt(vertices, a);
    Vec3f p = PointAt(t, e.point_idx);
    Vec3f q = NormalAt(t, e.normal_idx);
    double px = p.x, py = p.y, pz = p.z;
    double nx = q.x, ny = q.y, nz = q.z;
    double x = s * (px * m[0] + py * m[3] + pz * m[6]);
    double y = s * (px * m[1] + py * m[4] + pz * m[7]);
    double z = s * (px * m[2] + py * m[5] + pz * m[8]);
    // The normal enters the product with y and z exchanged and is written in the position's
    // order, so it leaves in the shape's axes while the position leaves in the model's; Q1 and
    // Q2 pass through float, Q3 does not. That is the vertex line as model files have it: the
    // golden files pin it, and "fixing" either would change every model file made so far.
    float q1 = RoundToFloat(s * (nx * m[0] + nz * m[3] + ny * m[6]));
    float q2 = RoundToFloat(s * (nx * m[1] + nz * m[4] + ny * m[7]));
    double q3 = s * (nx * m[2] + nz * m[5] + ny * m[8]);
    char text[8 * kMaxNumberText + 16];  // two triples and two decimals: one append a line
    char* end = text;
    *end++ = '\t';
    end = PutWholeTriple(end, x, z, y);
    *end++ = '\t';
    end = PutWholeTriple(end, q1, q3, q2);
    *end++ = '\t';
    if (e.uv_idx < 0 || e.uv_idx >= t.uv_point_count) {
      *end++ = '0';
      *end++ = ',';
      *end++ = '0';
    } else {
      Vec2f uv = UvPointAt(t, e.uv_idx);
      end = PutFixed6(end, uv.u);
      *end++ = ',';
      end = PutFixed6(end, uv.v);
    }
    *end++ = '\r';
    *end++ = '\n';
    out.append(text, static_cast<size_t>(end - text));
    FlushWhenLarge(run.model);
  }
}

}  // namespace

bool WriteGeometryBlocks(Run& run, VertexTable& vertices, const ShapeMatrix& matrix,
                         bool trilist_line_read) {
  if (!trilist_line_read && !ReadKeywordLine(run, keywords::kIndexedTrilist)) return false;
  if (!ReadKeywordLine(run, keywords::kVertexIdxs)) return false;
  DropFront(run.line, keywords::kVertexIdxs.size() + 1);  // the keyword and the blank after it
  GatherList(run, ' ');
  SkipPast(run.line, '(');
  int32_t index_count = ReadIntField(run);
  // A list cannot hold more triangles than it has characters: a larger count would only
  // repeat its last index, so it is not followed past that.
  int64_t triangles =
      std::min<int64_t>(index_count / 3, static_cast<int64_t>(LineView(run.line).size()) + 1);
  SkipPast(run.line, ' ');
  ResetVertexBuffer(vertices);
  WriteText(run.model, "<IndexedTriangleList>\n");
  WriteTriangles(run, vertices, triangles);
  WriteText(run.model, "</IndexedTriangleList>\n<VertexBuffer>\n");
  WriteVertexBuffer(run, vertices, matrix);
  WriteText(run.model, "</VertexBuffer>\n");
  if (!ReadKeywordLine(run, keywords::kNormalIdxs)) return false;
  SkipList(run);
  if (!ReadKeywordLine(run, keywords::kFlags)) return false;
  SkipList(run);
  ReadLine(run);  // the line that closes the indexed_trilist entry
  return true;
}
