// The checker: planted faults in copies of a golden file, each reported once, and the summary.
#include <gtest/gtest.h>

#include "model/check.h"
#include "tests/model/model_test_support.h"

namespace {

using model::Diagnostic;
using model::Severity;

// hierarchy.stk with every texture present and a Length that fits its extent: no findings.
std::string Baseline() {
  std::string text = ReadTestData("hierarchy.stk");
  size_t at = text.find("Length 14500");
  return text.replace(at, 12, "Length 12000");
}

bool AllTexturesExist(const std::string&) { return true; }

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(Check, TheBaselineHasNoFindings) {
  std::vector<Diagnostic> diagnostics;
  model::CheckSummary s = model::CheckModelText(Baseline(), AllTexturesExist, diagnostics);
  EXPECT_EQ(Describe(diagnostics), "");
  EXPECT_EQ(s.component_count, 12u);
  EXPECT_EQ(s.placed_component_count, 11u);
  EXPECT_EQ(s.triangle_count, 8u);
  EXPECT_EQ(s.vertex_count, 19u);
  EXPECT_EQ(s.textures, (std::vector<std::string>{"coach_body.tga", "bogie.tga", "glass.tga"}));
  ASSERT_TRUE(s.has_box);
  // Lowest point: hierarchy.1.1 (z -2783) under MTX.2 (z 720 - 260); front: 6063 + 7250.
  EXPECT_EQ(s.box_min[2], -2323.0);
  EXPECT_EQ(s.box_max[1], 13313.0);
  EXPECT_EQ(s.box_min[0], -1500.0);
}

struct Planted {
  const char* fault;
  const char* from;
  const char* to;
  int64_t line;
  Severity severity;
  const char* message;
};

const Planted kPlanted[] = {
    {"include naming nothing", "\t hierarchy.MTX.3\r\n",
     "\t hierarchy.MTX.3\r\n\tINCLUDE 0/0/0\t hierarchy.MTX.9\r\n", 113, Severity::kError,
     "INCLUDE names no component: hierarchy.MTX.9"},
    {"index outside", "\t2,0,3\r\n", "\t2,0,4\r\n", 12, Severity::kError,
     "component hierarchy.0.0: 1 triangle index beyond its 4 vertices"},
    {"degenerate", "\t2,0,3\r\n", "\t2,0,2\r\n", 12, Severity::kWarning,
     "component hierarchy.0.0: 1 triangle without area"},
    {"unplaced", "\tINCLUDE 0/0/0\t hierarchy.1.2\t## panto\r\n", "", 67, Severity::kWarning,
     "component hierarchy.1.2 is placed by no INCLUDE"},
    {"far vertex", "\t-1500/-5321/-2783", "\t-1500/-5321/-92783", 61, Severity::kWarning,
     "component hierarchy.1.1: 1 vertex far outside the vehicle"},
    {"wrong length", "Length 12000", "Length 30000", 104, Severity::kWarning,
     "the model is 12063 mm long, its Length says 30000 mm"},
    {"no length", "Length 12000", "Length 0", 104, Severity::kWarning,
     "the assembly gives no Length"},
    {"cycle", "## wheels11\r\n", "## wheels11\r\n\tINCLUDE 0/0/0\t hierarchy.MTX.1\r\n", 130,
     Severity::kError, "INCLUDE cycle: hierarchy.MTX.1 includes itself"},
    {"bad line", "Skin \"glass.tga\"", "Skin glass.tga", 70, Severity::kError,
     "Skin line without a quoted texture name"},
};

TEST(Check, ReportsEachPlantedFaultOnce) {
  for (const Planted& p : kPlanted) {
    std::vector<Diagnostic> diagnostics;
    model::CheckModelText(Replace(Baseline(), p.from, p.to), AllTexturesExist, diagnostics);
    std::string expected = std::to_string(p.line) +
                           (p.severity == Severity::kError ? ": error: " : ": warning: ") +
                           p.message;
    std::string found = Describe(diagnostics);
    EXPECT_EQ(found.substr(0, expected.size()), expected) << p.fault << ":\n" << found;
    size_t lines = 0;
    for (char c : found) lines += c == '\n';
    EXPECT_EQ(lines, 1u) << p.fault << ":\n" << found;
  }
}

TEST(Check, ReportsEachMissingTextureOnceWithItsFirstSkinLine) {
  std::vector<Diagnostic> diagnostics;
  size_t lookups = 0;
  model::CheckSummary s = model::CheckModelText(
      Baseline(),
      [&](const std::string& name) {
        ++lookups;
        return name != "bogie.tga";
      },
      diagnostics);
  EXPECT_EQ(Describe(diagnostics),
            "41: warning: texture bogie.tga is missing beside the model file\n");
  EXPECT_EQ(s.missing_textures, std::vector<std::string>{"bogie.tga"});
  EXPECT_EQ(lookups, 3u);
}

TEST(Check, ReportsEveryGoldenFileOfTheConversionWithoutErrors) {
  for (const char* file :
       {"hierarchy.stk", "hierarchy-2ft.stk", "hierarchy-steam.stk", "malformed.stk"}) {
    std::vector<Diagnostic> diagnostics;
    model::CheckModelText(ReadTestData(file), AllTexturesExist, diagnostics);
    EXPECT_FALSE(model::HasErrors(diagnostics)) << file << ":\n" << Describe(diagnostics);
  }
}

}  // namespace
