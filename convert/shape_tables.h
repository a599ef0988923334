// The global tables of a shape: points, uv_points, normals, matrices, images, vtx_states,
// prim_states, the hierarchy's parents and the sub-object count.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct Vec3f {
  float x = 0, y = 0, z = 0;
};
struct Vec2f {
  float u = 0, v = 0;
};

struct ShapeMatrix {
  float values[12] = {};  // three rows of three, then the translation x, y, z
  std::string name;
  int32_t parent = 0;    // -1 marks a root; 0 for a matrix the hierarchy does not reach
  std::string includes;  // INCLUDE lines of the primitives attached to this matrix
};

struct PrimState {
  int32_t tex_idx = 0;
  int32_t vtx_state = 0;
};

// Each table keeps the count its section announced; only the entries actually read are stored.
// An index below the count but past the stored entries reads as the zero entry, so that a
// count the file cannot back costs no memory.
struct ShapeTables {
  std::vector<Vec3f> points;
  int32_t point_count = 0;
  std::vector<Vec2f> uv_points;
  int32_t uv_point_count = 0;
  std::vector<Vec3f> normals;
  int32_t normal_count = 0;
  std::vector<ShapeMatrix> matrices;
  int32_t matrix_count = 0;
  std::vector<std::string> images;
  int32_t image_count = 0;
  std::vector<int32_t> vtx_states;
  int32_t vtx_state_count = 0;
  std::vector<PrimState> prim_states;
  int32_t prim_state_count = 0;
  int32_t sub_object_count = 0;

  // Matrices announced but not read: the parents that the hierarchy gave them one by one
  // (from index matrices.size() on), then one value repeated over [tail_begin, tail_end) once
  // the hierarchy line stopped moving, and INCLUDE text collected for them.
  std::vector<int32_t> unread_parents;
  int32_t tail_parent = 0;
  int32_t tail_begin = 0;
  int32_t tail_end = 0;
  std::unordered_map<int32_t, std::string> unread_includes;

  // The most entries a walk over a whole table visits: a file cannot hold more entries than
  // it has characters, so a larger announced count is not walked past this.
  int64_t walk_limit = 0;
};

// Checked accessors: an index outside the announced count, or past the entries read, gives
// the zero entry.
Vec3f PointAt(const ShapeTables& tables, int64_t i);
Vec3f NormalAt(const ShapeTables& tables, int64_t i);
Vec2f UvPointAt(const ShapeTables& tables, int64_t i);
int32_t VtxStateAt(const ShapeTables& tables, int64_t i);
PrimState PrimStateAt(const ShapeTables& tables, int64_t i);
const std::string& ImageAt(const ShapeTables& tables, int64_t i);

// Matrix i below matrix_count: its values and name (zero and "" when unread), its parent and
// its includes text. With an empty table, index 0 is an identity root with translation 0.
const ShapeMatrix& MatrixAt(const ShapeTables& tables, int64_t i);
int32_t MatrixParent(const ShapeTables& tables, int64_t i);
std::string& MatrixIncludes(ShapeTables& tables, int64_t i);
const std::string* FindMatrixIncludes(const ShapeTables& tables, int64_t i);
// How many entries of a table of count a walk visits.
int64_t WalkCount(const ShapeTables& tables, int32_t count);

// Frees points, uv_points and normals once the sub-objects are written: nothing after them
// reads the geometry, and the textures converted next then do not add to its memory.
void ReleaseGeometry(ShapeTables& tables);
