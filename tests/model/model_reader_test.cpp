// The model file reader and the placement tree: the golden files read back, every cut of them
// and hand-made faults give line-numbered problems.
#include <gtest/gtest.h>

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
  size_t components;
  double length;
  size_t triangles;
  size_t vertices;
  size_t placements;
  size_t parameters;
};

const GoldenFacts kGoldens[] = {
    {"hierarchy.stk", 12, 14500, 8, 19, 12, 0},
    {"hierarchy-2ft.stk", 12, 7250, 8, 19, 12, 0},
    {"hierarchy-steam.stk", 12, 14500, 8, 19, 12, 14},
    {"malformed.stk", 7, 10000, 6, 12, 6, 0},
};

TEST(ModelReader, ReadsEveryGoldenFileWithoutProblems) {
  for (const GoldenFacts& g : kGoldens) {
    std::string text = ReadTestData(g.file);
    ASSERT_FALSE(text.empty()) << g.file;
    Read r = ReadAndPlace(text);
    EXPECT_EQ(Describe(r.diagnostics), "") << g.file;
    EXPECT_EQ(r.model.components.size(), g.components) << g.file;
    EXPECT_EQ(r.model.length, g.length) << g.file;
    size_t triangles = 0, vertices = 0;
    for (const auto& c : r.model.components) {
      triangles += c.triangles.size();
      vertices += c.vertices.size();
    }
    EXPECT_EQ(triangles, g.triangles) << g.file;
    EXPECT_EQ(vertices, g.vertices) << g.file;
    EXPECT_EQ(r.placements.size(), g.placements) << g.file;
    EXPECT_EQ(r.model.parameters.size(), g.parameters) << g.file;
    EXPECT_EQ(r.model.header.size(), 3u) << g.file;
  }
}

TEST(ModelReader, ReadsTheTablesAsWritten) {
  Read r = ReadAndPlace(ReadTestData("hierarchy.stk"));
  const ModelFile& m = r.model;
  ASSERT_EQ(m.assembly, 6);
  EXPECT_EQ(m.components[6].name, "hierarchy");
  EXPECT_FALSE(m.components[6].is_component);
  EXPECT_EQ(m.textures, (std::vector<std::string>{"coach_body.ace", "bogie.ace", "glass.ace"}));
  EXPECT_EQ(m.header[2], "Shapewright convertor\t1.3.1.0");

  const model::Component& first = m.components[0];
  EXPECT_EQ(first.name, "hierarchy.0.0");
  EXPECT_EQ(first.line, 6);
  EXPECT_TRUE(first.is_component && first.millimetric);
  EXPECT_EQ(first.skin, "coach_body.tga");
  ASSERT_EQ(first.triangles.size(), 2u);
  EXPECT_EQ(first.triangles[1].index[0], 2u);
  EXPECT_EQ(first.triangles[1].index[2], 3u);
  EXPECT_EQ(first.triangles[1].line, 12);
  ASSERT_EQ(first.vertices.size(), 4u);
  const model::Vertex& v = first.vertices[2];  // 1500/6000/3100  707/0/-707  0.5,-0.25
  EXPECT_EQ(v.position[1], 6000.0f);
  EXPECT_EQ(v.normal[2], -707.0f);
  EXPECT_EQ(v.uv[1], -0.25f);
  EXPECT_EQ(first.vertices[1].uv[1], 0.007813f);

  // "\tINCLUDE 0/63/-260\t hierarchy.MTX.2" inside MTX.1, which the assembly places at
  // 0/11850/720: MTX.2 lands at the sum, and its wheel primitive with it.
  const model::Include& wheels = m.components[7].includes[2];
  EXPECT_EQ(wheels.target, "hierarchy.MTX.2");
  EXPECT_EQ(wheels.offset[2], -260.0);
  EXPECT_EQ(m.components[6].includes[0].comment, "main");
  bool found = false;
  for (const Placement& p : r.placements) {
    if (m.components[p.component].name != "hierarchy.1.1") continue;
    found = true;
    EXPECT_EQ(p.offset[0], 0.0);
    EXPECT_EQ(p.offset[1], 11913.0);
    EXPECT_EQ(p.offset[2], 460.0);
    EXPECT_EQ(p.depth, 3);
  }
  EXPECT_TRUE(found);
}

TEST(ModelReader, ReadsLineFeedsAsCarriageReturnLineFeeds) {
  std::string text = ReadTestData("hierarchy-steam.stk");
  std::string unix_text;
  for (char c : text) {
    if (c != '\r') unix_text += c;
  }
  Read crlf = ReadAndPlace(text), lf = ReadAndPlace(unix_text);
  EXPECT_EQ(Describe(lf.diagnostics), "");
  ASSERT_EQ(lf.model.parameters.size(), crlf.model.parameters.size());
  EXPECT_EQ(lf.model.parameters[5].key, "MaxCOff");
  EXPECT_EQ(lf.model.parameters[5].value, "80");
  EXPECT_TRUE(lf.model.parameters[5].steam);
  EXPECT_EQ(lf.placements.size(), crlf.placements.size());
}

// Every cut of a golden file is checked without a crash (this runs under the sanitizers too),
// its problems have lines inside what is left, and a cut before the assembly is noticed.
TEST(ModelReader, EveryTruncationGivesLineNumberedProblems) {
  for (const GoldenFacts& g : kGoldens) {
    std::string text = ReadTestData(g.file);
    int64_t lines = 0;
    for (size_t cut = 0; cut < text.size(); ++cut) {
      std::vector<Diagnostic> diagnostics;
      model::CheckModelText(
          std::string_view(text).substr(0, cut), [](const std::string&) { return true; },
          diagnostics);
      if (cut > 0 && text[cut - 1] == '\n') ++lines;
      for (const Diagnostic& d : diagnostics) {
        ASSERT_LE(d.line, lines + 1) << g.file << " cut at " << cut << ": " << d.message;
        ASSERT_GE(d.line, 0);
      }
      // Before the assembly, the assembly is missing; mid-line, the line is cut.
      bool mid_line = cut > 0 && text[cut - 1] != '\n';
      if (mid_line || cut < text.find("##--## Assembly")) {
        EXPECT_FALSE(diagnostics.empty()) << g.file << " cut at " << cut;
      }
    }
  }
}

struct Malformed {
  const char* name;
  const char* text;
  int64_t line;
  Severity severity;
  const char* message;  // a part of the diagnostic's text
};

const Malformed kMalformed[] = {
    {"self include",
     "Name v\nLength 10\n\tINCLUDE 0/0/0\t a\n[end]\nName a\nComponent\n"
     "\tINCLUDE 0/0/0\t a\n",
     7, Severity::kError, "INCLUDE cycle: a"},
    {"cycle through two",
     "Name v\n\tINCLUDE 0/0/0\t a\n[end]\nName a\nComponent\n"
     "\tINCLUDE 1/0/0\t b\n[end]\nName b\nComponent\n\tINCLUDE 0/0/0\t a\t## back\n",
     10, Severity::kError, "INCLUDE cycle: a includes itself through b"},
    {"missing target", "Name v\n\tINCLUDE 0/0/0\t nowhere\n", 2, Severity::kError,
     "INCLUDE names no component: nowhere"},
    {"include without name", "Name v\n\tINCLUDE 0/0/0\t\n", 2, Severity::kError,
     "INCLUDE without a component name"},
    {"include with two numbers", "Name v\n\tINCLUDE 0/0\t a\n", 2, Severity::kError,
     "INCLUDE without three numbers"},
    {"absurd include", "Name v\n\tINCLUDE 1e400/0/0\t a\n", 2, Severity::kError,
     "INCLUDE without three numbers"},
    {"two indexes", "Name v\n[end]\nName a\nComponent\n<IndexedTriangleList>\n\t0,1\n", 6,
     Severity::kError, "triangle line is not three"},
    {"negative index", "Name v\n[end]\nName a\nComponent\n<IndexedTriangleList>\n\t0,-1,2\n", 6,
     Severity::kError, "triangle line is not three"},
    {"index beyond 32 bits",
     "Name v\n[end]\nName a\nComponent\n<IndexedTriangleList>\n\t0,1,4294967296\n", 6,
     Severity::kError, "triangle line is not three"},
    {"absurd coordinate", "Name v\n[end]\nName a\n<VertexBuffer>\n\t99999999999/0/0\t0/0/0\t0,0\n",
     5, Severity::kError, "vertex position is not three numbers"},
    {"not a number", "Name v\n[end]\nName a\n<VertexBuffer>\n\tnan/0/0\t0/0/0\t0,0\n", 5,
     Severity::kError, "vertex position"},
    {"normal cut short", "Name v\n[end]\nName a\n<VertexBuffer>\n\t0/0/0\t0/0\t0,0\n", 5,
     Severity::kError, "vertex normal"},
    {"absurd uv",
     "Name v\n[end]\nName "
     "a\n<VertexBuffer>\n\t0/0/0\t0/0/0\t0,-100000000000000000000000000000000.0\n",
     5, Severity::kError, "texture coordinate is not two numbers"},
    {"huge uv kept",
     "Name v\n[end]\nName a\n<VertexBuffer>\n\t0/0/0\t0/0/0\t54049198826749236871168.0,1\n", 5,
     Severity::kWarning, "beyond a million repeats (kept)"},
    {"uv missing", "Name v\n[end]\nName a\n<VertexBuffer>\n\t0/0/0\t0/0/0\n", 5, Severity::kError,
     "texture coordinate"},
    {"ends in vertex buffer", "Name v\n<VertexBuffer>\n\t0/0/0\t0/0/0\t0,0\n", 3, Severity::kError,
     "ends inside a VertexBuffer"},
    {"ends in triangle list", "Name v\n<IndexedTriangleList>\n\t0,1,2", 3, Severity::kError,
     "ends inside an IndexedTriangleList"},
    {"duplicate name", "Name v\n[end]\nName a\nComponent\n[end]\nName a\nComponent\n", 6,
     Severity::kError, "component a already named at line 3"},
    {"outside a component", "Millimetric\nName v\n", 1, Severity::kError, "outside a component"},
    {"length not a number", "Name v\nLength ten\n", 2, Severity::kError, "Length is not"},
    {"negative length", "Name v\nLength -5\n", 2, Severity::kError, "Length is not"},
    {"no assembly", "[end]\nName a\nComponent\n", 0, Severity::kError, "no assembly"},
    {"two assemblies", "Name v\n[end]\nName w\n", 3, Severity::kError,
     "has no Component line, but the assembly is already v"},
    {"skin unquoted", "Name v\nSkin body.tga\n", 2, Severity::kError, "quoted"},
    {"unknown line", "Name v\nWheels 4\n", 2, Severity::kWarning, "unknown line \"Wheels 4\""},
    {"steam not closed", "Name v\n\t<STEAM>\n\t\tMinCOff\t30\n", 3, Severity::kError,
     "ends inside a STEAM block"},
};

TEST(ModelReader, MalformedInputsGiveLineNumberedProblems) {
  for (const Malformed& m : kMalformed) {
    Read r = ReadAndPlace(m.text);
    bool found = false;
    for (const Diagnostic& d : r.diagnostics) {
      found = found || (d.line == m.line && d.severity == m.severity &&
                        d.message.find(m.message) != std::string::npos);
    }
    EXPECT_TRUE(found) << m.name << ":\n" << Describe(r.diagnostics);
  }
}

TEST(ModelReader, ReportsAnIncludeOnceHoweverOftenItsComponentIsPlaced) {
  Read r = ReadAndPlace(
      "Name v\n\tINCLUDE 0/0/0\t a\n\tINCLUDE 0/1/0\t a\n\tINCLUDE 0/2/0\t a\n[end]\n"
      "Name a\nComponent\n\tINCLUDE 0/0/0\t gone\n");
  EXPECT_EQ(Describe(r.diagnostics), "8: error: INCLUDE names no component: gone\n");
  EXPECT_EQ(r.placements.size(), 4u);
}

// Each level includes the next twice: 2^40 placements if followed; the resolver stops.
TEST(ModelReader, StopsAnIncludeTreeThatDoublesAtEveryLevel) {
  std::string text = "Name v\n\tINCLUDE 0/0/0\t c0\n";
  for (int i = 0; i < 40; ++i) {
    text += "[end]\nName c" + std::to_string(i) + "\nComponent\n";
    if (i + 1 < 40) {
      text += "\tINCLUDE 0/0/0\t c" + std::to_string(i + 1) + "\n\tINCLUDE 1/0/0\t c" +
              std::to_string(i + 1) + "\n";
    }
  }
  Read r = ReadAndPlace(text, {64, 1000});
  EXPECT_EQ(r.placements.size(), 1000u);
  EXPECT_NE(Describe(r.diagnostics).find("more than 1000 placed components"), std::string::npos);
}

TEST(ModelReader, StopsAnIncludeChainBeyondTheDepthLimit) {
  std::string text = "Name v\n\tINCLUDE 0/0/0\t c0\n";
  for (int i = 0; i < 10; ++i) {
    text += "[end]\nName c" + std::to_string(i) + "\nComponent\n\tINCLUDE 0/0/1\t c" +
            std::to_string(i + 1) + "\n";
  }
  text += "[end]\nName c10\nComponent\n";
  Read r = ReadAndPlace(text, {4, 1000});
  EXPECT_EQ(r.placements.size(), 5u);
  EXPECT_EQ(r.placements.back().offset[2], 3.0);
  EXPECT_NE(Describe(r.diagnostics).find("nesting deeper than 4"), std::string::npos);
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
