// Primitive components and their geometry blocks, through whole conversions of small shapes.
#include <gtest/gtest.h>

#include "tests/engine/test_support.h"

namespace {

const char kHeader[] =
    "##\tCONVERTED FROM MSTS .S FILE\n##\twith Shapewright conversion tool\n##\tShapewright "
    "convertor\t1.3.1.0\n";

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

std::string Triangles(const std::string& model, int sub, int primitive) {
  std::string head =
      "## Sub " + std::to_string(sub) + " Primitive " + std::to_string(primitive) + "\n";
  size_t at = model.find(head);
  if (at == std::string::npos) return "<no component>";
  return Between(model.substr(at), "<IndexedTriangleList>", "</IndexedTriangleList>");
}

std::string Buffer(const std::string& model, int sub, int primitive) {
  std::string head =
      "## Sub " + std::to_string(sub) + " Primitive " + std::to_string(primitive) + "\n";
  size_t at = model.find(head);
  if (at == std::string::npos) return "<no component>";
  return Between(model.substr(at), "<VertexBuffer>", "</VertexBuffer>");
}

size_t CountOf(const std::string& text, const std::string& piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

TEST(WriteSubObjects, ComponentLayoutAndLogLines) {
  Converted c = ConvertShape(OneSubObject(FourVertices(), Primitives(Pair(0, "3 0 1 2"), 2)));
  ASSERT_TRUE(c.ok);
  EXPECT_TRUE(c.log.beeps.empty());
  std::string expected =
      std::string(kHeader) +
      "[end]\n## Sub 0 Primitive 0\nName loco.0.0\nMillimetric\nComponent\nSkin \"loco.tga\"\n"
      "<IndexedTriangleList>\n\t0,2,1\n</IndexedTriangleList>\n<VertexBuffer>\n"
      "\t0/0/0\t0/1000/0\t0.000000,0.000000\n\t1000/0/0\t0/1000/0\t0.000000,0.000000\n"
      "\t1000/0/1000\t0/1000/0\t0.000000,0.000000\n</VertexBuffer>\n[end]\n\n\n\n##--## Assembly";
  EXPECT_EQ(c.model.substr(0, expected.size()), expected);
  std::vector<std::string> lines(c.log.lines.begin() + 8, c.log.lines.begin() + 11);
  EXPECT_EQ(lines, (std::vector<std::string>{"Processing sub-object 1 of 1", "Reading vertices",
                                             "      Processing primitive 1 of 1"}));
}

TEST(WriteSubObjects, NoSubObjectsPutsTheAssemblyRightAfterTheHeader) {
  Converted c = ConvertShape(EmptyShape());
  ASSERT_TRUE(c.ok);
  std::string expected = std::string(kHeader) + "\n\n##--## Assembly ##--##\n";
  EXPECT_EQ(c.model.substr(0, expected.size()), expected);
}

TEST(WriteSubObjects, PrimitiveCountsBelowTwoWriteOnlyTheEnd) {
  for (int count : {0, 1}) {
    Converted c = ConvertShape(OneSubObject(FourVertices(), Primitives(Pair(0, "3 0 1 2"), count)));
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.model.substr(sizeof kHeader - 1, 8), "[end]\n\n\n") << count;
    EXPECT_EQ(CountOf(c.model, "## Sub"), 0u);
  }
}

TEST(WriteSubObjects, OddCountLeavesTheLastEntryToTheNextSeek) {
  Converted c = ConvertShape(
      OneSubObject(FourVertices(), Primitives(Pair(0, "3 0 1 2") + Pair(0, "3 1 2 3"), 5)));
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(CountOf(c.model, "## Sub 0 Primitive"), 2u);
  EXPECT_TRUE(c.log.beeps.empty());
}

TEST(WriteSubObjects, TrilistsAfterOnePrimStateShareIt) {
  // prim_state_idx, indexed_trilist, indexed_trilist (count 3): two complete components.
  std::string three = "prim_state_idx ( 0 )\n" + Trilist("3 0 1 2") + Trilist("3 1 2 3");
  Converted c = ConvertShape(OneSubObject(FourVertices(), Primitives(three, 3)));
  ASSERT_TRUE(c.ok);
  EXPECT_TRUE(c.log.beeps.empty());
  EXPECT_EQ(Triangles(c.model, 0, 1), "\t0,2,1\n");
  EXPECT_EQ(Buffer(c.model, 0, 1).substr(0, 9), "\t1000/0/0");
  EXPECT_EQ(CountOf(c.model, "Skin \"loco.tga\""), 2u);
  // ... then prim_state_idx, indexed_trilist again (count 5): three.
  std::string five = three + Pair(0, "3 3 2 1");
  c = ConvertShape(OneSubObject(FourVertices(), Primitives(five, 5)));
  ASSERT_TRUE(c.ok);
  EXPECT_TRUE(c.log.beeps.empty());
  EXPECT_EQ(Triangles(c.model, 0, 2), "\t0,2,1\n");
  EXPECT_EQ(CountOf(c.model, "INCLUDE 0/0/0\t loco.0."), 3u);
  // The log keeps count / 2 as the total.
  EXPECT_NE(std::find(c.log.lines.begin(), c.log.lines.end(), "      Processing primitive 3 of 2"),
            c.log.lines.end());
}

TEST(WriteSubObjects, MissingPrimStateIdxBeepsAndEndsTheSubObject) {
  std::string entries = "something_else ( 0 )\n" + Trilist("3 0 1 2");
  Converted c = ConvertShape(OneSubObject(FourVertices(), Primitives(entries, 2)));
  ASSERT_TRUE(c.ok);
  ASSERT_EQ(c.log.beeps.size(), 1u);
  EXPECT_EQ(c.log.beeps[0].expected, "\"prim_state_idx\"");
  EXPECT_NE(c.model.find("Name loco.0.0\nMillimetric\nComponent\n[end]\n\n"), std::string::npos);
}

TEST(WritePrimitiveComponent, SkinLinesNameTheTgaFile) {
  ShapeParts parts;
  parts.images = "images ( 3\nimage ( loco.ace )\nimage ( loco.ace.ace )\nimage ( loco.tga )\n)\n";
  parts.prim_states = "prim_states ( 5\n";
  for (int t : {0, 1, 2, 3, -1}) {
    parts.prim_states +=
        "prim_state ( 00000000 0\ntex_idxs ( 1 " + std::to_string(t) + " ) 0 0 1 1 1\n)\n";
  }
  parts.prim_states += ")\n";
  std::string entries;
  for (int p = 0; p < 5; ++p) entries += Pair(p, "3 0 1 2");
  Converted c = ConvertShape(OneSubObject(FourVertices(), Primitives(entries, 10), parts));
  ASSERT_TRUE(c.ok);
  EXPECT_TRUE(c.log.beeps.empty());
  auto skin_of = [&](int k) {
    std::string head = "Name loco.0." + std::to_string(k) + "\nMillimetric\nComponent\n";
    size_t at = c.model.find(head);
    if (at == std::string::npos) return std::string("<none>");
    std::string rest = c.model.substr(at + head.size());
    return rest.substr(0, rest.find('\n'));
  };
  EXPECT_EQ(skin_of(0), "Skin \"loco.tga\"");
  EXPECT_EQ(skin_of(1), "Skin \"loco.tga.tga\"");
  EXPECT_EQ(skin_of(2), "Skin \"loco.tga\"");
  EXPECT_EQ(skin_of(3), "<IndexedTriangleList>");  // index equal to image_count
  EXPECT_EQ(skin_of(4), "<IndexedTriangleList>");  // negative index
}

TEST(WritePrimitiveComponent, BadStateChainsFallBackToMatrixZeroWithOneBeep) {
  ShapeParts parts;
  parts.matrices = "matrices ( 1\nmatrix MAIN ( 1 0 0 0 1 0 0 0 1 0 0 2 )\n)\n";
  parts.vtx_states =
      "vtx_states ( 2\nvtx_state ( 00000000 0 -5 0 00000002 )\nvtx_state ( 00000000 1 -5 0 "
      "00000002 )\n)\n";
  parts.prim_states =
      "prim_states ( 2\nprim_state ( 00000000 0\ntex_idxs ( 1 0 ) 0 1 1 1 1\n)\n"
      "prim_state ( 00000000 0\ntex_idxs ( 1 0 ) 0 7 1 1 1\n)\n)\n";
  // p = 0: vertex state 1 names matrix 1 = matrix_count; p = 1: vertex state 7 is outside
  // vtx_states; p = 9: outside prim_states.
  std::string entries = Pair(0, "3 0 1 2") + Pair(1, "3 0 1 2") + Pair(9, "3 0 1 2");
  Converted c = ConvertShape(OneSubObject(FourVertices(), Primitives(entries, 6), parts));
  ASSERT_TRUE(c.ok);
  ASSERT_EQ(c.log.beeps.size(), 3u);
  for (const BeepSite& beep : c.log.beeps) EXPECT_EQ(beep.expected, "matrix index below 1");
  EXPECT_EQ(CountOf(c.model, "Skin \"loco.tga\""), 2u);
  EXPECT_EQ(CountOf(c.model, "\tINCLUDE 0/2000/0\t loco.0."), 3u);
}

TEST(WritePrimitiveComponent, EmptyMatricesTableUsesAnIdentityRoot) {
  ShapeParts parts;
  parts.matrices = "matrices ( 0 )\n";
  parts.hierarchy = "hierarchy ( 0 )\n";
  Converted c =
      ConvertShape(OneSubObject(FourVertices(), Primitives(Pair(0, "3 0 1 2"), 2), parts), 4);
  ASSERT_TRUE(c.ok);
  ASSERT_EQ(c.log.beeps.size(), 1u);
  EXPECT_NE(c.model.find("\tINCLUDE 0/2000/0\t loco.0.0\t## \n"), std::string::npos);
  EXPECT_EQ(Buffer(c.model, 0, 0).substr(0, 18), "\t0/0/0\t0/1000/0\t0.");
}

TEST(ReadSubObjectVertices, OneLineAndThreeLineVerticesReadTheSame) {
  ShapeParts parts;
  parts.points = "points ( 13\n" + [] {
    std::string p;
    for (int i = 0; i < 13; ++i) p += "point ( " + std::to_string(i) + " 0 0 )\n";
    return p;
  }() + ")\n";
  parts.normals =
      "normals ( 4\nvector ( 0 1 0 )\nvector ( 0 1 0 )\nvector ( 0 1 0 )\nvector ( 1 0 0 )\n)\n";
  parts.uv_points = "uv_points ( 8\n" + std::string(7 * 21, ' ') + ")\n";
  parts.uv_points = "uv_points ( 8\n";
  for (int i = 0; i < 8; ++i) parts.uv_points += "uv_point ( 0." + std::to_string(i) + " 0.5 )\n";
  parts.uv_points += ")\n";
  std::string one_line =
      "vertices ( 1\nvertex ( 00000000 12 3 ffffffff ff000000 vertex_uvs ( 1 7 ) )\n)\n";
  std::string three_lines =
      "vertices ( 1\nvertex ( 00000000 12 3 ffffffff ff000000\nvertex_uvs ( 1 7 )\n)\n)\n";
  std::string expected = "\t12000/0/0\t1000/0/0\t0.700000,0.500000\n";
  for (const std::string& vertices : {one_line, three_lines}) {
    Converted c = ConvertShape(OneSubObject(vertices, Primitives(Pair(0, "3 0 0 0"), 2), parts));
    ASSERT_TRUE(c.ok);
    EXPECT_TRUE(c.log.beeps.empty());
    EXPECT_EQ(Buffer(c.model, 0, 0), expected);
  }
}

TEST(ReadSubObjectVertices, UvCountZeroGivesUvIndexZero) {
  ShapeParts parts;
  parts.uv_points = "uv_points ( 1\nuv_point ( 0.25 0.75 )\n)\n";
  std::string vertices =
      "vertices ( 1\nvertex ( 00000000 0 0 ffffffff ff000000\nvertex_uvs ( 0 )\n)\n)\n";
  Converted c = ConvertShape(OneSubObject(vertices, Primitives(Pair(0, "3 0 0 0"), 2), parts));
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(Buffer(c.model, 0, 0), "\t0/0/0\t0/1000/0\t0.250000,0.750000\n");
}

TEST(ReadSubObjectVertices, ShortSectionAndOutOfRangeIndexesBeep) {
  std::string vertices =
      "vertices ( 4\n"
      "vertex ( 00000000 4 0 ffffffff ff000000\nvertex_uvs ( 1 0 )\n)\n"
      "vertex ( 00000000 1 5 ffffffff ff000000\nvertex_uvs ( 1 -1 )\n)\n"
      "vertex ( 00000000 2 0 ffffffff ff000000\nvertex_uvs ( 1 3 )\n)\n)\n";
  Converted c = ConvertShape(OneSubObject(vertices, Primitives(Pair(0, "6 0 1 2 3 3 3"), 2)));
  ASSERT_TRUE(c.ok);
  std::vector<std::string> expected;
  for (const BeepSite& b : c.log.beeps) expected.push_back(b.expected);
  EXPECT_EQ(expected, (std::vector<std::string>{"point index below 4", "normal index below 1",
                                                "uv index below 1", "\"vertex\""}));
  // Out-of-range point and normal read as zero, a bad uv as "0,0"; the unread entry 3 as
  // point 0, normal 0, uv 0.
  EXPECT_EQ(Buffer(c.model, 0, 0),
            "\t0/0/0\t0/1000/0\t0.000000,0.000000\n\t1000/0/0\t0/0/0\t0,0\n"
            "\t1000/0/1000\t0/1000/0\t0,0\n\t0/0/0\t0/1000/0\t0.000000,0.000000\n");
}

TEST(ReadSubObjectVertices, EntryCutShortAtItsUvLineKeepsPointAndNormal) {
  struct Case {
    const char* name;
    const char* last_entries;  // the second and third vertex entries
    const char* third_buffer_line;
  };
  const Case cases[] = {
      {"misspelt uv line",
       "vertex ( 00000000 1 0 ffffffff ff000000\nvertex_uvs ( 1 0 )\n)\n"
       "vertex ( 00000000 2 1 ffffffff ff000000\nvertex_uv ( 1 0 )\n)\n",
       "\t0/2000/1000\t0/0/1000\t0.500000,0.250000\n"},
      // The second entry lacks its ")": the next "vertex (" line closes it, the uv line after
      // that is read as the third entry's vertex line, and the ")" is its mismatching uv line.
      {"entry without its closing line",
       "vertex ( 00000000 1 0 ffffffff ff000000\nvertex_uvs ( 1 0 )\n"
       "vertex ( 00000000 0 1 ffffffff ff000000\nvertex_uvs ( 1 2 )\n)\n",
       "\t0/2000/1000\t0/1000/0\t0.500000,0.250000\n"},
  };
  ShapeParts parts;
  parts.points = "points ( 3\npoint ( 0 0 0 )\npoint ( 1 0 0 )\npoint ( 0 1 2 )\n)\n";
  parts.normals = "normals ( 2\nvector ( 0 1 0 )\nvector ( 0 0 1 )\n)\n";
  parts.uv_points = "uv_points ( 1\nuv_point ( 0.5 0.25 )\n)\n";
  for (const Case& k : cases) {
    std::string vertices = std::string("vertices ( 3\n") +
                           "vertex ( 00000000 0 0 ffffffff ff000000\nvertex_uvs ( 1 0 )\n)\n" +
                           k.last_entries + ")\n";
    Converted c = ConvertShape(OneSubObject(vertices, Primitives(Pair(0, "3 0 1 2"), 2), parts));
    ASSERT_TRUE(c.ok) << k.name;
    EXPECT_EQ(c.log.beeps.size(), 1u) << k.name;
    std::string buffer = Buffer(c.model, 0, 0);
    size_t third = buffer.find('\n', buffer.find('\n') + 1) + 1;
    EXPECT_EQ(buffer.substr(third), k.third_buffer_line) << k.name;
  }
}

TEST(WriteGeometryBlocks, TrianglesAreRenumberedAndReversed) {
  struct Case {
    const char* idxs;
    const char* triangles;
    const char* buffer_first_columns;  // the position of each buffer entry
  } cases[] = {
      {"6 0 1 2 2 3 0", "\t0,2,1\n\t2,0,3\n", "0/0/0 1000/0/0 1000/0/1000 0/0/1000"},
      {"6 0 1 2\n2 3 0", "\t0,2,1\n\t2,0,3\n", "0/0/0 1000/0/0 1000/0/1000 0/0/1000"},
      {"7 0 1 2 2 3 0 1", "\t0,2,1\n\t2,0,3\n", "0/0/0 1000/0/0 1000/0/1000 0/0/1000"},
      {"3 3 1 3", "\t0,0,1\n", "0/0/1000 1000/0/0"},
      {"6 0 1 2", "\t0,2,1\n\t0,0,0\n", "0/0/0 1000/0/0 1000/0/1000"},
      {"0", "", ""},
  };
  for (const Case& k : cases) {
    Converted c = ConvertShape(OneSubObject(FourVertices(), Primitives(Pair(0, k.idxs), 2)));
    ASSERT_TRUE(c.ok) << k.idxs;
    EXPECT_EQ(Triangles(c.model, 0, 0), k.triangles) << k.idxs;
    std::string positions;
    std::string buffer = Buffer(c.model, 0, 0);
    for (size_t at = 0; at < buffer.size();) {
      size_t end = buffer.find('\t', at + 1);
      if (!positions.empty()) positions += ' ';
      positions += buffer.substr(at + 1, end - at - 1);
      at = buffer.find('\n', at) + 1;
    }
    EXPECT_EQ(positions, k.buffer_first_columns) << k.idxs;
  }
}

TEST(WriteGeometryBlocks, VertexIndexOutsideTheTableDropsTheTriangle) {
  Converted c =
      ConvertShape(OneSubObject(FourVertices(), Primitives(Pair(0, "9 0 1 2 0 4 1 -1 2 3"), 2)));
  ASSERT_TRUE(c.ok);
  ASSERT_EQ(c.log.beeps.size(), 2u);
  EXPECT_EQ(c.log.beeps[0].expected, "vertex index below 4");
  EXPECT_EQ(Triangles(c.model, 0, 0), "\t0,2,1\n");
  EXPECT_EQ(CountOf(Buffer(c.model, 0, 0), "\n"), 3u);
}

TEST(WriteGeometryBlocks, PositionsNormalsAndUvs) {
  ShapeParts parts;
  parts.points = "points ( 2\npoint ( 0.5 1.25 -2 )\npoint ( 0 0 1 )\n)\n";
  parts.normals = "normals ( 2\nvector ( 0 1 0 )\nvector ( 0 0 1 )\n)\n";
  parts.uv_points = "uv_points ( 1\nuv_point ( 0.5 0.25 )\n)\n";
  std::string vertices = Vertices({{0, 0, 0}, {1, 1, -1}});
  std::string shape = OneSubObject(vertices, Primitives(Pair(0, "3 0 1 1"), 2), parts);
  Converted c = ConvertShape(shape);
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(Buffer(c.model, 0, 0),
            "\t500/-2000/1250\t0/1000/0\t0.500000,0.250000\n\t0/1000/0\t0/0/1000\t0,0\n");
  c = ConvertShape(shape, 0, true);
  EXPECT_EQ(Buffer(c.model, 0, 0),
            "\t250/-1000/625\t0/500/0\t0.500000,0.250000\n\t0/500/0\t0/0/500\t0,0\n");
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
  EXPECT_EQ(Buffer(c.model, 0, 0), "\t62/62/62\t63/62/63\t0.000000,0.000000\n");
}

TEST(WriteGeometryBlocks, SmallNegativeCoordinatesPrintAsMinusZero) {
  ShapeParts parts;
  parts.points = "points ( 1\npoint ( -0.0003 0 0.0625 )\n)\n";
  Converted c =
      ConvertShape(OneSubObject(Vertices({{0, 0, 0}}), Primitives(Pair(0, "3 0 0 0"), 2), parts));
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(Buffer(c.model, 0, 0).substr(0, 9), "\t-0/63/0\t");
}

TEST(WriteGeometryBlocks, MissingKeywordsBeepAndEndTheSubObject) {
  struct Case {
    std::string trilist;
    const char* expected;
    bool has_blocks;
  } cases[] = {
      {"prim_state_idx ( 0 )\nnot_a_trilist (\n", "\"indexed_trilist\"", false},
      {"prim_state_idx ( 0 )\nindexed_trilist (\nvertex ( 3 0 1 2 )\n", "\"vertex_idxs\"", false},
      {"prim_state_idx ( 0 )\nindexed_trilist (\nvertex_idxs ( 3 0 1 2 )\nflags ( 1 0 )\n",
       "\"normal_idxs\"", true},
      {"prim_state_idx ( 0 )\nindexed_trilist (\nvertex_idxs ( 3 0 1 2 )\nnormal_idxs ( 1 0 3 "
       ")\n)\n",
       "\"flags\"", true},
  };
  for (const Case& k : cases) {
    Converted c =
        ConvertShape(OneSubObject(FourVertices(), Primitives(k.trilist + Pair(0, "3 0 1 2"), 4)));
    ASSERT_TRUE(c.ok) << k.expected;
    ASSERT_EQ(c.log.beeps.size(), 1u) << k.expected;
    EXPECT_EQ(c.log.beeps[0].expected, k.expected);
    EXPECT_EQ(CountOf(c.model, "<VertexBuffer>"), k.has_blocks ? 1u : 0u) << k.expected;
    EXPECT_EQ(CountOf(c.model, "## Sub 0 Primitive"), 1u);
  }
}

TEST(WriteGeometryBlocks, ListWithoutItsEndEndsTheRun) {
  std::string shape = OneSubObject(FourVertices(), Primitives(Pair(0, "3 0 1 2"), 2));
  shape = shape.substr(
      0, shape.find("vertex_idxs ( 3 0 1 2 )") + 17);  // "vertex_idxs ( 3 0" and no ")"
  Converted c = ConvertShape(shape);
  EXPECT_FALSE(c.ok);
  ASSERT_EQ(c.log.failures.size(), 1u);
  EXPECT_EQ(c.log.failures[0].reason, "unexpected end of shape text");
  EXPECT_EQ(c.log.lines.back(), "      Processing primitive 1 of 1");
  EXPECT_TRUE(c.model_written);
  EXPECT_NE(c.model.find("Name loco.0.0"), std::string::npos);
}

TEST(WriteGeometryBlocks, HugeCountsStayBoundedByTheInput) {
  std::string shape = OneSubObject(Vertices({{0, 0, 0}}).replace(11, 1, "2000000000"),
                                   Primitives(Pair(0, "2000000000 0 1999999999 5"), 2));
  Converted c = ConvertShape(shape);
  ASSERT_TRUE(c.ok);
  std::string triangles = Triangles(c.model, 0, 0);
  EXPECT_EQ(triangles.substr(0, 16), "\t0,2,1\n\t0,0,0\n\t0");
  EXPECT_LT(triangles.size(), 4000u);
  EXPECT_EQ(Buffer(c.model, 0, 0),
            "\t0/0/0\t0/1000/0\t0.000000,0.000000\n\t0/0/0\t0/1000/0\t0.000000,0.000000\n"
            "\t0/0/0\t0/1000/0\t0.000000,0.000000\n");
}

}  // namespace
