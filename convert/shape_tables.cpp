#include "convert/shape_tables.h"

#include <algorithm>

namespace {

const ShapeMatrix& ZeroMatrix() {
  static const ShapeMatrix zero{};
  return zero;
}

const ShapeMatrix& IdentityRoot() {
  static const ShapeMatrix identity{{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, "", -1, ""};
  return identity;
}

template <typename T>
T EntryAt(const std::vector<T>& entries, int32_t count, int64_t i) {
  if (i < 0 || i >= count || i >= static_cast<int64_t>(entries.size())) return T{};
  return entries[static_cast<size_t>(i)];
}

}  // namespace

Vec3f PointAt(const ShapeTables& t, int64_t i) { return EntryAt(t.points, t.point_count, i); }
Vec3f NormalAt(const ShapeTables& t, int64_t i) { return EntryAt(t.normals, t.normal_count, i); }
Vec2f UvPointAt(const ShapeTables& t, int64_t i) {
  return EntryAt(t.uv_points, t.uv_point_count, i);
}
int32_t VtxStateAt(const ShapeTables& t, int64_t i) {
  return EntryAt(t.vtx_states, t.vtx_state_count, i);
}
PrimState PrimStateAt(const ShapeTables& t, int64_t i) {
  return EntryAt(t.prim_states, t.prim_state_count, i);
}

void ReleaseGeometry(ShapeTables& t) {
  std::vector<Vec3f>().swap(t.points);
  std::vector<Vec2f>().swap(t.uv_points);
  std::vector<Vec3f>().swap(t.normals);
}

const std::string& ImageAt(const ShapeTables& t, int64_t i) {
  static const std::string empty;
  if (i < 0 || i >= t.image_count || i >= static_cast<int64_t>(t.images.size())) return empty;
  return t.images[static_cast<size_t>(i)];
}

const ShapeMatrix& MatrixAt(const ShapeTables& t, int64_t i) {
  if (t.matrix_count <= 0) return IdentityRoot();
  if (i < 0 || i >= t.matrix_count || i >= static_cast<int64_t>(t.matrices.size()))
    return ZeroMatrix();
  return t.matrices[static_cast<size_t>(i)];
}

int32_t MatrixParent(const ShapeTables& t, int64_t i) {
  if (t.matrix_count <= 0) return -1;
  if (i < 0 || i >= t.matrix_count) return 0;
  int64_t stored = static_cast<int64_t>(t.matrices.size());
  if (i < stored) return t.matrices[static_cast<size_t>(i)].parent;
  int64_t k = i - stored;
  if (k < static_cast<int64_t>(t.unread_parents.size()))
    return t.unread_parents[static_cast<size_t>(k)];
  if (i >= t.tail_begin && i < t.tail_end) return t.tail_parent;
  return 0;
}

std::string& MatrixIncludes(ShapeTables& t, int64_t i) {
  if (i >= 0 && i < static_cast<int64_t>(t.matrices.size()))
    return t.matrices[static_cast<size_t>(i)].includes;
  return t.unread_includes[static_cast<int32_t>(i)];
}

const std::string* FindMatrixIncludes(const ShapeTables& t, int64_t i) {
  if (i >= 0 && i < static_cast<int64_t>(t.matrices.size()))
    return &t.matrices[static_cast<size_t>(i)].includes;
  auto found = t.unread_includes.find(static_cast<int32_t>(i));
  return found == t.unread_includes.end() ? nullptr : &found->second;
}

int64_t WalkCount(const ShapeTables& t, int32_t count) {
  if (count <= 0) return 0;
  return std::min<int64_t>(count, t.walk_limit);
}
