// The model file reader and the placement tree: the golden files read back, and hand-made
// faults give line-numbered problems. Every cut of the input is the fuzzer's job.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/check.h"
#include "model/model_file.h"
#include "tests/model/model_test_support.h"

namespace {

using model::Diagnostic;
using model::ModelFile;
using model::Placement;
using model::Severity;

struct Read {
  ModelFile model;
  std::vector<Diagnostic> diagnostics;
  std::vector<Placement> placements;
};

Read ReadAndPlace(std::string_view text, const model::PlacementLimits& limits = {}) {
  Read r;
  model::ReadModelFile(text, r.model, r.diagnostics);
  model::ResolvePlacements(r.model, r.placements, r.diagnostics, limits);
  return r;
}

struct GoldenFacts {
  const char* file;
  size_t components, triangles, vertices, placements, parameters;
};

const GoldenFacts kGoldens[] = {
    {"hierarchy.stk", 12, 8, 19, 12, 0},
    {"hierarchy-2ft.stk", 12, 8, 19, 12, 0},
    {"hierarchy-steam.stk", 12, 8, 19, 12, 14},
    {"malformed.stk", 7, 6, 12, 6, 0},
};

// What the conversion writes reads back without a problem, with CR LF or LF alone, and the
// checker finds no error.
TEST(ModelReader, ReadsEveryGoldenFileWithoutProblems) {
  for (const GoldenFacts& g : kGoldens) {
    std::string crlf = ReadTestData(g.file);
    for (const std::string& text : {crlf, test::WithoutCarriageReturns(crlf)}) {
      SCOPED_TRACE(std::string(g.file) + (text == crlf ? "" : " with LF"));
      Read r = ReadAndPlace(text);
      EXPECT_EQ(Describe(r.diagnostics), "");
      EXPECT_EQ(r.placements.size(), g.placements);
      EXPECT_EQ(r.model.parameters.size(), g.parameters);
      EXPECT_EQ(r.model.header.size(), 3u);
      std::vector<Diagnostic> findings;
      model::CheckSummary s = model::CheckModelText(text, AllTexturesExist, findings);
      EXPECT_EQ(s.component_count, g.components);
      EXPECT_EQ(s.triangle_count, g.triangles);
      EXPECT_EQ(s.vertex_count, g.vertices);
      EXPECT_FALSE(model::HasErrors(findings)) << Describe(findings);
    }
  }
}

// What the checks and the pictures do not use: the header, the texture list, the Millimetric
// flag, INCLUDE comments, steam parameters, nesting depth; and the vertex fields as written.
TEST(ModelReader, ReadsTheTablesAsWritten) {
  Read r = ReadAndPlace(ReadTestData("hierarchy.stk"));
  const ModelFile& m = r.model;
  ASSERT_EQ(m.assembly, 6);
  const model::Component& first = m.components[0];
  EXPECT_TRUE(first.is_component && first.millimetric);
  ASSERT_EQ(first.vertices.size(), 4u);
  const model::Vertex& v = first.vertices[2];  // 1500/6000/3100  707/0/-707  0.5,-0.25
  EXPECT_EQ(v.position[1], 6000.0f);
  EXPECT_EQ(v.normal[2], -707.0f);
  EXPECT_EQ(v.uv[1], -0.25f);
  EXPECT_EQ(first.vertices[1].uv[1], 0.007813f);
  // hierarchy.1.1 lies under MTX.2 under MTX.1 under the assembly.
  int64_t wheel = model::FindComponent(m, "hierarchy.1.1");
  auto placed = std::find_if(r.placements.begin(), r.placements.end(),
                             [&](const Placement& p) { return int64_t(p.component) == wheel; });
  ASSERT_NE(placed, r.placements.end());
  EXPECT_EQ(placed->depth, 3);
  model::Parameter steam = ReadAndPlace(ReadTestData("hierarchy-steam.stk")).model.parameters.at(5);
  EXPECT_EQ(steam.key, "MaxCOff");
  EXPECT_EQ(steam.value, "80");
  EXPECT_TRUE(steam.steam);
}

struct Malformed {
  std::string text;
  int64_t line;
  const char* message;  // found in the diagnostic's text
  Severity severity = Severity::kError;
};

const std::string kTriangles = "Name v\n[end]\nName a\nComponent\n<IndexedTriangleList>\n\t";
const std::string kVertices = "Name v\n[end]\nName a\n<VertexBuffer>\n\t";

const Malformed kMalformed[] = {
    {"Name v\nLength 10\n\tINCLUDE 0/0/0\t a\n[end]\nName a\nComponent\n\tINCLUDE 0/0/0\t a\n", 7,
     "INCLUDE cycle: a"},
    {"Name v\n\tINCLUDE 0/0/0\t\n", 2, "INCLUDE without a component name"},
    {"Name v\n\tINCLUDE 0/0\t a\n", 2, "INCLUDE without three numbers"},
    {kTriangles + "0,1\n", 6, "triangle line is not three"},
    {kTriangles + "0,1,4294967296\n", 6, "triangle line is not three"},
    {kVertices + "99999999999/0/0\t0/0/0\t0,0\n", 5, "vertex position is not three numbers"},
    {kVertices + "0/0/0\t0/0\t0,0\n", 5, "vertex normal"},
    {kVertices + "0/0/0\t0/0/0\t0,-100000000000000000000000000000000.0\n", 5,
     "texture coordinate is not two numbers"},
    {kVertices + "0/0/0\t0/0/0\t54049198826749236871168.0,1\n", 5,
     "beyond a million repeats (kept)", Severity::kWarning},
    {"Name v\n<VertexBuffer>\n\t0/0/0\t0/0/0\t0,0\n", 3, "ends inside a VertexBuffer"},
    {"Name v\n<IndexedTriangleList>\n\t0,1,2", 3, "ends inside an IndexedTriangleList"},
    {"Name v\n[end]\nName a\nComponent\n[end]\nName a\nComponent\n", 6,
     "component a already named at line 3"},
    {"Millimetric\nName v\n", 1, "outside a component"},
    {"Name v\nLength ten\n", 2, "Length is not"},
    {"[end]\nName a\nComponent\n", 0, "no assembly"},
    {"Name v\n[end]\nName w\n", 3, "has no Component line, but the assembly is already v"},
    {"Name v\nWheels 4\n", 2, "unknown line \"Wheels 4\"", Severity::kWarning},
    {"Name v\nSkinny \"x.tga\"\n", 2, "unknown line \"Skinny", Severity::kWarning},
    {"Name v\n\t<STEAM>\n\t\tMinCOff\t30\n", 3, "ends inside a STEAM block"},
};

TEST(ModelReader, MalformedInputsGiveLineNumberedProblems) {
  for (const Malformed& m : kMalformed) {
    Read r = ReadAndPlace(m.text);
    bool found = false;
    for (const Diagnostic& d : r.diagnostics) {
      found = found || (d.line == m.line && d.severity == m.severity &&
                        d.message.find(m.message) != std::string::npos);
    }
    EXPECT_TRUE(found) << m.text << ":\n" << Describe(r.diagnostics);
  }
}

TEST(ModelReader, ReportsAnIncludeOnceHoweverOftenItsComponentIsPlaced) {
  Read r = ReadAndPlace(
      "Name v\n\tINCLUDE 0/0/0\t a\n\tINCLUDE 0/1/0\t a\n\tINCLUDE 0/2/0\t a\n[end]\n"
      "Name a\nComponent\n\tINCLUDE 0/0/0\t gone\n");
  EXPECT_EQ(Describe(r.diagnostics), "8: error: INCLUDE names no component: gone\n");
  EXPECT_EQ(r.placements.size(), 4u);
}

// The assembly includes c0, and each of levels components includes the next fan times.
std::string MakeIncludeTree(int levels, int fan) {
  std::string text = "Name v\n\tINCLUDE 0/0/0\t c0\n";
  for (int i = 0; i < levels; ++i) {
    text += "[end]\nName c" + std::to_string(i) + "\nComponent\n";
    for (int k = 0; i + 1 < levels && k < fan; ++k)
      text += "\tINCLUDE " + std::to_string(k) + "/0/1\t c" + std::to_string(i + 1) + "\n";
  }
  return text;
}

TEST(ModelReader, StopsAnIncludeTreeAtItsLimits) {
  Read wide = ReadAndPlace(MakeIncludeTree(40, 2), {64, 1000});  // 2^40 placements if followed
  EXPECT_EQ(wide.placements.size(), 1000u);
  EXPECT_NE(Describe(wide.diagnostics).find("more than 1000 placed components"), std::string::npos);
  Read deep = ReadAndPlace(MakeIncludeTree(11, 1), {4, 1000});
  EXPECT_EQ(deep.placements.size(), 5u);
  EXPECT_EQ(deep.placements.back().offset[2], 3.0);
  EXPECT_NE(Describe(deep.diagnostics).find("nesting deeper than 4"), std::string::npos);
}

TEST(ModelReader, KeepsTheNumberOfProblemsBounded) {
  std::string text = "Name v\n";
  for (int i = 0; i < 1000; ++i) text += "Bad line\n";
  Read r = ReadAndPlace(text);
  ASSERT_EQ(r.diagnostics.size(), 201u);
  EXPECT_EQ(r.diagnostics.back().message, "800 further problems not listed");
  EXPECT_EQ(r.diagnostics.back().severity, Severity::kWarning);
}

}  // namespace
