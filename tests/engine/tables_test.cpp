// The global tables: sections, counts, entries, and what a malformed section leaves.
#include <gtest/gtest.h>

#include "convert/shape_tables.h"
#include "tests/engine/test_support.h"

namespace {

struct TablesRun : MemoryRun {
  explicit TablesRun(const std::string& text) : MemoryRun(text) {
    try {
      ReadShapeTables(run);
      completed = true;
    } catch (const RunAborted& aborted) {
      failure = aborted.failure;
    }
  }
  bool completed = false;
  FileFailure failure;
};

TEST(ReadShapeTables, ReadsEverySectionWithItsLogLine) {
  ShapeParts parts;
  parts.points = "points ( 2\npoint ( 1 2 3 )\npoint ( -0.5 1.5e-3 4 )\n)\n";
  parts.matrices = "matrices ( 1\nmatrix MAIN ( 1 0 0 0 1 0 0 0 1 0.5 1.25 -2 )\n)\n";
  parts.images = "images ( 2\nimage ( Loco Body.ACE )\nimage ( \"quoted.ace\" )\n)\n";
  parts.vtx_states = "vtx_states ( 1\nvtx_state ( 00000000 3 -5 0 00000002 )\n)\n";
  parts.prim_states =
      "prim_states ( 1\nprim_state ( 00000000 0\ntex_idxs ( 2 7 9 ) 0 4 0 0 1\n)\n)\n";
  parts.sub_objects = "sub_objects ( 7\n";
  TablesRun t(BuildShape(parts));
  ASSERT_TRUE(t.completed);
  const ShapeTables& tables = t.run.tables;
  EXPECT_EQ(t.log.lines,
            (std::vector<std::string>{"Reading points", "Reading UV points", "Reading Normals",
                                      "Reading matrices", "Reading textures",
                                      "Reading Vertex States", "Reading primitive states"}));
  EXPECT_TRUE(t.log.beeps.empty());
  ASSERT_EQ(tables.points.size(), 2u);
  EXPECT_EQ(tables.points[1].x, -0.5f);
  EXPECT_EQ(tables.points[1].y, 1.5e-3f);
  EXPECT_EQ(tables.points[1].z, 4.0f);
  const ShapeMatrix& main = tables.matrices.at(0);
  EXPECT_EQ(main.name, "main");
  const float expected[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0.5f, 1.25f, -2};
  for (int n = 0; n < 12; ++n) EXPECT_EQ(main.values[n], expected[n]) << n;
  EXPECT_EQ(main.parent, -1);
  EXPECT_EQ(tables.images, (std::vector<std::string>{"loco body.ace", "quoted.ace"}));
  EXPECT_EQ(tables.vtx_states, (std::vector<int32_t>{3}));
  EXPECT_EQ(tables.prim_states.at(0).tex_idx, 7);
  EXPECT_EQ(tables.prim_states.at(0).vtx_state, 4);
  EXPECT_EQ(tables.sub_object_count, 7);
  EXPECT_EQ(LineView(t.run.line), " 7");
}

TEST(ReadShapeTables, ShortSectionBeepsOnceAndKeepsItsCount) {
  ShapeParts parts;
  parts.points = "points ( 3\npoint ( 1 2 3 )\npoint ( 4 5 6 )\n)\n";
  parts.sub_objects = "sub_objects ( 0\n";
  TablesRun t(BuildShape(parts));
  ASSERT_TRUE(t.completed);
  ASSERT_EQ(t.log.beeps.size(), 1u);
  EXPECT_EQ(t.log.beeps[0].expected, "\"point\"");
  EXPECT_EQ(t.log.beeps[0].line, 7);  // the ")" line
  EXPECT_EQ(t.run.tables.point_count, 3);
  EXPECT_EQ(PointAt(t.run.tables, 2).x, 0.0f);  // announced but unread: the zero entry
  EXPECT_EQ(PointAt(t.run.tables, 1).y, 5.0f);
  EXPECT_EQ(PointAt(t.run.tables, -1).x, 0.0f);
  EXPECT_EQ(PointAt(t.run.tables, 3).x, 0.0f);
}

TEST(ReadShapeTables, ZeroCountReadsNoEntries) {
  ShapeParts parts;
  parts.uv_points = "uv_points ( 0 )\n";
  parts.sub_objects = "sub_objects ( 0\n";
  TablesRun t(BuildShape(parts));
  ASSERT_TRUE(t.completed);
  EXPECT_TRUE(t.log.beeps.empty());
  EXPECT_EQ(t.run.tables.uv_point_count, 0);
  EXPECT_TRUE(t.run.tables.uv_points.empty());
}

TEST(ReadShapeTables, HierarchySetsParentsUpToTheMatrixCount) {
  const char* three =
      "matrices ( 3\nmatrix a ( 1 0 0 0 1 0 0 0 1 0 0 0 )\nmatrix b ( 1 0 0 0 1 0 0 0 1 0 0 0 )\n"
      "matrix c ( 1 0 0 0 1 0 0 0 1 0 0 0 )\n)\n";
  const char* two =
      "matrices ( 2\nmatrix a ( 1 0 0 0 1 0 0 0 1 0 0 0 )\nmatrix b ( 1 0 0 0 1 0 0 0 1 0 0 0 "
      ")\n)\n";
  const char* four =
      "matrices ( 4\nmatrix a ( 1 0 0 0 1 0 0 0 1 0 0 0 )\nmatrix b ( 1 0 0 0 1 0 0 0 1 0 0 0 )\n"
      "matrix c ( 1 0 0 0 1 0 0 0 1 0 0 0 )\nmatrix d ( 1 0 0 0 1 0 0 0 1 0 0 0 )\n)\n";
  struct Case {
    const char* matrices;
    std::vector<int32_t> parents;
  } cases[] = {{three, {-1, 0, 0}}, {two, {-1, 0}}, {four, {-1, 0, 0, 0}}};
  for (const Case& c : cases) {
    ShapeParts parts;
    parts.matrices = c.matrices;
    parts.hierarchy = "hierarchy ( 3 -1 0 0 )\n";
    parts.sub_objects = "sub_objects ( 0\n";
    TablesRun t(BuildShape(parts));
    ASSERT_TRUE(t.completed);
    std::vector<int32_t> parents;
    for (int32_t i = 0; i < t.run.tables.matrix_count; ++i)
      parents.push_back(MatrixParent(t.run.tables, i));
    EXPECT_EQ(parents, c.parents);
  }
}

TEST(ReadShapeTables, ShortHierarchyLineRepeatsItsLastValue) {
  // "hierarchy ( 4 -1 1": after the list runs out the same text is read again.
  ShapeParts parts;
  parts.matrices =
      "matrices ( 5\nmatrix a ( 1 0 0 0 1 0 0 0 1 0 0 0 )\nmatrix b ( 1 0 0 0 1 0 0 0 1 0 0 0 "
      ")\n)\n";
  parts.hierarchy = "hierarchy ( 4 -1 1\n";
  parts.sub_objects = "sub_objects ( 0\n";
  TablesRun t(BuildShape(parts));
  ASSERT_TRUE(t.completed);
  std::vector<int32_t> parents;
  for (int32_t i = 0; i < 5; ++i) parents.push_back(MatrixParent(t.run.tables, i));
  EXPECT_EQ(parents, (std::vector<int32_t>{-1, 1, 1, 1, 0}));
}

TEST(ReadShapeTables, HugeCountsCostNoMemory) {
  ShapeParts parts;
  parts.points = "points ( 2000000000\npoint ( 1 2 3 )\n)\n";
  parts.matrices = "matrices ( 2000000000\nmatrix m ( 1 0 0 0 1 0 0 0 1 0 0 0 )\n)\n";
  parts.hierarchy = "hierarchy ( 2000000000 -1 0\n";
  parts.sub_objects = "sub_objects ( 0\n";
  TablesRun t(BuildShape(parts));
  ASSERT_TRUE(t.completed);
  EXPECT_EQ(t.run.tables.point_count, 2000000000);
  EXPECT_LT(t.run.tables.points.capacity(), 1000u);
  EXPECT_EQ(MatrixParent(t.run.tables, 1999999999), 0);
  EXPECT_EQ(MatrixParent(t.run.tables, 0), -1);
  EXPECT_EQ(t.log.beeps.size(), 2u);
}

TEST(ReadShapeTables, EndOfTextWhileSeekingEndsTheRun) {
  TablesRun t("SIMISA@@\nshape (\npoints ( 1\npoint ( 1 2 3 )\n)\n");
  EXPECT_FALSE(t.completed);
  EXPECT_EQ(t.failure.reason, "unexpected end of shape text");
  EXPECT_EQ(t.failure.file, "t.s");
}

TEST(ReadShapeTables, FirstLineIsTestedAsRead) {
  // The first line of the file is not normalised before the first seek tests it.
  TablesRun t(
      "  Points ( 5\nPoints ( 1\npoint ( 9 9 9 )\n)\nuv_points ( 0\nnormals ( 0\nmatrices ( 0\n"
      "images ( 0\nvtx_states ( 0\nprim_states ( 0\nhierarchy ( 0\nsub_objects ( 0\n");
  ASSERT_TRUE(t.completed);
  EXPECT_EQ(t.run.tables.point_count, 1);
  EXPECT_EQ(PointAt(t.run.tables, 0).x, 9.0f);
}

}  // namespace
