// One sub-object's vertices and the vertex buffer of the primitive being written.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

struct SubObjectVertex {
  int32_t point_idx = 0;
  int32_t uv_idx = 0;
  int32_t normal_idx = 0;
  int32_t buffer_idx = -1;  // place in the current primitive's vertex buffer, -1 when not in it
};

// The vertices section keeps its announced vertex_count; only the entries read are stored,
// the others read as index 0 for point, uv and normal.
struct VertexTable {
  std::vector<SubObjectVertex> entries;
  int32_t vertex_count = 0;
  std::unordered_map<int32_t, int32_t> unread_buffer_idx;  // buffer_idx of entries not read
  std::vector<int32_t> buffer_order;  // vertex-table indexes of the buffer, in buffer order
};
