// The keywords of the shape text, as a normalised (trimmed, lower-case) line begins with them.
// Where a reader drops a keyword from the front of a line, the length comes from here.
#pragma once

#include <string_view>

namespace keywords {

// Sections of the global tables, each followed by its entry keyword.
inline constexpr std::string_view kPoints = "points";
inline constexpr std::string_view kPoint = "point";
inline constexpr std::string_view kUvPoints = "uv_points";
inline constexpr std::string_view kUvPoint = "uv_point";
inline constexpr std::string_view kNormals = "normals";
inline constexpr std::string_view kVector = "vector";
inline constexpr std::string_view kMatrices = "matrices";
inline constexpr std::string_view kMatrix = "matrix";
inline constexpr std::string_view kImages = "images";
inline constexpr std::string_view kImage = "image";
inline constexpr std::string_view kVtxStates = "vtx_states";
inline constexpr std::string_view kVtxState = "vtx_state";
inline constexpr std::string_view kPrimStates = "prim_states";
inline constexpr std::string_view kPrimState = "prim_state";
inline constexpr std::string_view kTexIdxs = "tex_idxs";  // the second line of a prim_state
inline constexpr std::string_view kHierarchy = "hierarchy";
inline constexpr std::string_view kSubObjects = "sub_objects";

// A sub-object: its vertices, then its primitives.
inline constexpr std::string_view kVertices = "vertices";
inline constexpr std::string_view kVertex = "vertex";
inline constexpr std::string_view kVertexUvs = "vertex_uvs";
inline constexpr std::string_view kPrimitives = "primitives";
inline constexpr std::string_view kPrimStateIdx = "prim_state_idx";
inline constexpr std::string_view kIndexedTrilist = "indexed_trilist";
inline constexpr std::string_view kVertexIdxs = "vertex_idxs";
inline constexpr std::string_view kNormalIdxs = "normal_idxs";
inline constexpr std::string_view kFlags = "flags";

}  // namespace keywords
