// Primitive components and their geometry blocks, through whole conversions of small shapes;
// what the golden model files already show is not repeated here.
#include <gtest/gtest.h>

#include "tests/engine/test_support.h"

namespace {

// A shape with four points, one sub-object with the given vertices and primitives.
std::string OneSubObject(const std::string& vertices, const std::string& primitives,
                         ShapeParts parts = {}) {
  if (parts.points == ShapeParts{}.points) {
    parts.points =
        "points ( 4\npoint ( 0 0 0 )\npoint ( 1 0 0 )\npoint ( 1 1 0 )\npoint ( 0 1 0 )\n)\n";
  }
  parts.sub_objects = "sub_objects ( 1\n" + SubObject(vertices, primitives) + ")\n";
  return BuildShape(parts);
}

std::string FourVertices() { return Vertices({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}); }

std::string Primitives(const std::string& entries, int count) {
  return "primitives ( " + std::to_string(count) + "\n" + entries + ")\n";
}

std::string Pair(int state, const std::string& vertex_idxs) {
  return "prim_state_idx ( " + std::to_string(state) + " )\n" + Trilist(vertex_idxs);
}

// The lines inside the first <tag> block.
std::string CutBlock(const std::string& model, const std::string& tag) {
  size_t start = model.find("<" + tag + ">\n");
  if (start == std::string::npos) return "<no " + tag + ">";
  start += tag.size() + 3;
  return model.substr(start, model.find("</" + tag + ">", start) - start);
}

std::string JoinBeeps(const RecordingLog& log) {
  std::string text;
  for (const BeepSite& beep : log.beeps) text += beep.expected + ";";
  return text;
}

// The count counts entries: a prim_state_idx and each indexed_trilist; a line without its
// keyword beeps and ends the sub-object.
TEST(WriteSubObjects, EntriesMakeComponentsUntilALineLacksItsKeyword) {
  const std::string tri = Trilist("3 0 1 2");
  const std::string shared = "prim_state_idx ( 0 )\n" + tri + tri;
  const struct {
    std::string entries;
    int count;
    size_t components, buffers;
    const char* beeps;
  } cases[] = {
      {Pair(0, "3 0 1 2"), 0, 0, 0, ""},
      {Pair(0, "3 0 1 2"), 1, 0, 0, ""},
      {Pair(0, "3 0 1 2") + Pair(0, "3 1 2 3"), 5, 2, 2, ""},  // the odd entry is left
      {shared, 3, 2, 2, ""},
      {shared + Pair(0, "3 3 2 1"), 5, 3, 3, ""},
      {"something_else ( 0 )\n" + tri, 2, 1, 0, "\"prim_state_idx\";"},
      {"prim_state_idx ( 0 )\nnot_a_trilist (\n" + Pair(0, "3 0 1 2"), 4, 1, 0,
       "\"indexed_trilist\";"},
      {"prim_state_idx ( 0 )\nindexed_trilist (\nvertex ( 3 0 1 2 )\n", 2, 1, 0,
       "\"vertex_idxs\";"},
      {"prim_state_idx ( 0 )\nindexed_trilist (\nvertex_idxs ( 3 0 1 2 )\nflags ( 1 0 )\n", 2, 1, 1,
       "\"normal_idxs\";"},
      {"prim_state_idx ( 0 )\nindexed_trilist (\nvertex_idxs ( 3 0 1 2 )\nnormal_idxs ( 1 0 3 "
       ")\n)\n" +
           Pair(0, "3 0 1 2"),
       4, 1, 1, "\"flags\";"},
  };
  for (const auto& k : cases) {
    Converted c = ConvertShape(OneSubObject(FourVertices(), Primitives(k.entries, k.count)));
    ASSERT_TRUE(c.ok) << k.entries;
    EXPECT_EQ(test::Count(c.model, "## Sub 0 Primitive"), k.components) << k.entries;
    EXPECT_EQ(test::Count(c.model, "<VertexBuffer>"), k.buffers) << k.entries;
    EXPECT_EQ(JoinBeeps(c.log), k.beeps) << k.entries;
  }
}

TEST(WritePrimitiveComponent, SkinLinesNameTheTgaFile) {
  ShapeParts parts;
  parts.images = "images ( 3\nimage ( loco.ace )\nimage ( loco.ace.ace )\nimage ( loco.tga )\n)\n";
  parts.prim_states = "prim_states ( 5\n";
  std::string entries;
  int p = 0;
  for (int t : {0, 1, 2, 3, -1}) {
    parts.prim_states +=
        "prim_state ( 00000000 0\ntex_idxs ( 1 " + std::to_string(t) + " ) 0 0 1 1 1\n)\n";
    entries += Pair(p++, "3 0 1 2");
  }
  parts.prim_states += ")\n";
  Converted c = ConvertShape(OneSubObject(FourVertices(), Primitives(entries, 10), parts));
  ASSERT_TRUE(c.ok);
  // Index 3 equals the image count and -1 is negative: no Skin line.
  EXPECT_EQ(JoinBeeps(c.log), "");
  std::string skins;
  for (size_t at = c.model.find("Skin "); at != std::string::npos;
       at = c.model.find("Skin ", at + 1))
    skins += c.model.substr(at, c.model.find('\n', at) - at) + ";";
  EXPECT_EQ(skins, "Skin \"loco.tga\";Skin \"loco.tga.tga\";Skin \"loco.tga\";");
}

TEST(WritePrimitiveComponent, EmptyMatricesTableUsesAnIdentityRoot) {
  ShapeParts parts;
  parts.matrices = "matrices ( 0 )\n";
  parts.hierarchy = "hierarchy ( 0 )\n";
  Converted c =
      ConvertShape(OneSubObject(FourVertices(), Primitives(Pair(0, "3 0 1 2"), 2), parts), 4);
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(JoinBeeps(c.log), "matrix index below 0;");
  EXPECT_NE(c.model.find("\tINCLUDE 0/2000/0\t loco.0.0\t## \n"), std::string::npos);
  EXPECT_EQ(CutBlock(c.model, "VertexBuffer").substr(0, 18), "\t0/0/0\t0/1000/0\t0.");
}

// An entry cut short at its uv line keeps the point and normal it read, with uv index 0.
TEST(ReadSubObjectVertices, EntryCutShortAtItsUvLineKeepsPointAndNormal) {
  const struct {
    const char* last_entries;  // the second and third vertex entries
    const char* third_line;    // of the vertex buffer
  } cases[] = {
      {"vertex ( 00000000 1 0 ffffffff ff000000\nvertex_uvs ( 1 0 )\n)\n"
       "vertex ( 00000000 2 1 ffffffff ff000000\nvertex_uv ( 1 0 )\n)\n",
       "\t0/2000/1000\t0/0/1000\t0.500000,0.250000\n"},
      // Without its ")" the second entry is closed by the next "vertex (" line; the uv line after
      // that is the third entry's vertex line (point 2, normal 0), and the ")" its uv line.
      {"vertex ( 00000000 1 0 ffffffff ff000000\nvertex_uvs ( 1 0 )\n"
       "vertex ( 00000000 0 1 ffffffff ff000000\nvertex_uvs ( 1 2 )\n)\n",
       "\t0/2000/1000\t0/1000/0\t0.500000,0.250000\n"},
  };
  ShapeParts parts;
  parts.points = "points ( 3\npoint ( 0 0 0 )\npoint ( 1 0 0 )\npoint ( 0 1 2 )\n)\n";
  parts.normals = "normals ( 2\nvector ( 0 1 0 )\nvector ( 0 0 1 )\n)\n";
  parts.uv_points = "uv_points ( 1\nuv_point ( 0.5 0.25 )\n)\n";
  for (const auto& k : cases) {
    std::string vertices = std::string("vertices ( 3\nvertex ( 00000000 0 0 ffffffff ff000000\n") +
                           "vertex_uvs ( 1 0 )\n)\n" + k.last_entries + ")\n";
    Converted c = ConvertShape(OneSubObject(vertices, Primitives(Pair(0, "3 0 1 2"), 2), parts));
    ASSERT_TRUE(c.ok) << k.third_line;
    EXPECT_EQ(JoinBeeps(c.log), "\"vertex_uvs\";") << k.third_line;
    std::string buffer = CutBlock(c.model, "VertexBuffer");
    EXPECT_EQ(buffer.substr(buffer.find('\n', buffer.find('\n') + 1) + 1), k.third_line);
  }
}

TEST(WriteGeometryBlocks, TrianglesAreRenumberedReversedAndChecked) {
  const struct {
    const char* idxs;
    const char* triangles;
    const char* positions;  // the first column of each buffer entry
    size_t beeps;
  } cases[] = {
      {"7 0 1 2 2 3 0 1", "\t0,2,1\n\t2,0,3\n", "0/0/0 1000/0/0 1000/0/1000 0/0/1000 ", 0},
      {"3 3 1 3", "\t0,0,1\n", "0/0/1000 1000/0/0 ", 0},
      {"6 0 1 2", "\t0,2,1\n\t0,0,0\n", "0/0/0 1000/0/0 1000/0/1000 ", 0},  // the last repeats
      {"0", "", "", 0},
      {"9 0 1 2 0 4 1 -1 2 3", "\t0,2,1\n", "0/0/0 1000/0/0 1000/0/1000 ", 2},
  };
  for (const auto& k : cases) {
    Converted c = ConvertShape(OneSubObject(FourVertices(), Primitives(Pair(0, k.idxs), 2)));
    ASSERT_TRUE(c.ok) << k.idxs;
    EXPECT_EQ(CutBlock(c.model, "IndexedTriangleList"), k.triangles) << k.idxs;
    std::string buffer = CutBlock(c.model, "VertexBuffer");
    std::string positions;
    for (size_t at = 0; at < buffer.size(); at = buffer.find('\n', at) + 1)
      positions += buffer.substr(at + 1, buffer.find('\t', at + 1) - at - 1) + " ";
    EXPECT_EQ(positions, k.positions) << k.idxs;
    EXPECT_EQ(c.log.beeps.size(), k.beeps) << k.idxs;
  }
}

TEST(WriteGeometryBlocks, NormalsRoundQ1AndQ2ToFloatBeforePrinting) {
  // Each coordinate sums to just under 62.5: printed as 62 from a double, as 63 once the sum
  // has been rounded to a float. Q1 and Q2 are rounded, Q3 and the position are not.
  ShapeParts parts;
  parts.points = "points ( 1\npoint ( 1 0 1 )\n)\n";
  parts.normals = "normals ( 1\nvector ( 1 0 1 )\n)\n";
  parts.matrices =
      "matrices ( 1\nmatrix MAIN ( 0.0625 0.0625 0.0625 -1e-12 -1e-12 -1e-12 -1e-12 -1e-12 -1e-12 "
      "0 0 0 )\n)\n";
  Converted c =
      ConvertShape(OneSubObject(Vertices({{0, 0, 0}}), Primitives(Pair(0, "3 0 0 0"), 2), parts));
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(CutBlock(c.model, "VertexBuffer"), "\t62/62/62\t63/62/63\t0.000000,0.000000\n");
}

TEST(WriteGeometryBlocks, HugeCountsStayBoundedByTheInput) {
  std::string shape = OneSubObject(Vertices({{0, 0, 0}}).replace(11, 1, "2000000000"),
                                   Primitives(Pair(0, "2000000000 0 1999999999 5"), 2));
  Converted c = ConvertShape(shape);
  ASSERT_TRUE(c.ok);
  std::string triangles = CutBlock(c.model, "IndexedTriangleList");
  EXPECT_EQ(triangles.substr(0, 16), "\t0,2,1\n\t0,0,0\n\t0");
  EXPECT_LT(triangles.size(), 4000u);
  EXPECT_EQ(CutBlock(c.model, "VertexBuffer"),
            "\t0/0/0\t0/1000/0\t0.000000,0.000000\n\t0/0/0\t0/1000/0\t0.000000,0.000000\n"
            "\t0/0/0\t0/1000/0\t0.000000,0.000000\n");
}

}  // namespace
