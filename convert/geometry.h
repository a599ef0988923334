// The IndexedTriangleList and VertexBuffer blocks of one primitive component.
#pragma once

struct Run;
struct ShapeMatrix;
struct VertexTable;

// Reads the primitive's indexed_trilist entry and writes its two blocks, vertices turned by
// matrix. trilist_line_read: the indexed_trilist line is already current. False after one
// beep when a line lacks its keyword; the line stays current.
bool WriteGeometryBlocks(Run& run, VertexTable& vertices, const ShapeMatrix& matrix,
                         bool trilist_line_read);
