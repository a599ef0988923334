// The checker: planted faults in copies of a golden file, each reported once, and the summary.
#include <gtest/gtest.h>

#include <cstring>

#include "model/check.h"
#include "tests/model/model_test_support.h"

namespace {

using model::Diagnostic;
using model::Severity;

// hierarchy.stk with a Length that fits its extent: no findings.
std::string Baseline() {
  std::string text = ReadTestData("hierarchy.stk");
  return text.replace(text.find("Length 14500"), 12, "Length 12000");
}

TEST(Check, TheBaselineHasNoFindings) {
  std::vector<Diagnostic> diagnostics;
  model::CheckSummary s = model::CheckModelText(Baseline(), AllTexturesExist, diagnostics);
  EXPECT_EQ(Describe(diagnostics), "");
  EXPECT_EQ(s.placed_component_count, 11u);
  EXPECT_EQ(s.textures, (std::vector<std::string>{"coach_body.tga", "bogie.tga", "glass.tga"}));
  ASSERT_TRUE(s.has_box);
  // Lowest point: hierarchy.1.1 (z -2783) under MTX.2 (z 720 - 260); front: 6063 + 7250.
  EXPECT_EQ(s.box_min[2], -2323.0);
  EXPECT_EQ(s.box_max[1], 13313.0);
  EXPECT_EQ(s.box_min[0], -1500.0);
}

struct Planted {
  const char* from;
  const char* to;
  const char* finding;  // the start of the one line reported
};

const Planted kPlanted[] = {
    {"\t hierarchy.MTX.3\r\n", "\t hierarchy.MTX.3\r\n\tINCLUDE 0/0/0\t hierarchy.MTX.9\r\n",
     "113: error: INCLUDE names no component: hierarchy.MTX.9"},
    {"\t2,0,3\r\n", "\t2,0,4\r\n",
     "12: error: component hierarchy.0.0: 1 triangle index beyond its 4 vertices"},
    {"\t2,0,3\r\n", "\t2,0,2\r\n", "12: warning: component hierarchy.0.0: 1 triangle without area"},
    // Three different corners on one line: vertex 3 moved between 2 and 0.
    {"\t-1500/6063/3100", "\t0/0/1675",
     "12: warning: component hierarchy.0.0: 1 triangle without area"},
    {"\tINCLUDE 0/0/0\t hierarchy.1.2\t## panto\r\n", "",
     "67: warning: component hierarchy.1.2 is placed by no INCLUDE"},
    {"\t-1500/-5321/-2783", "\t-1500/-5321/-92783",
     "61: warning: component hierarchy.1.1: 1 vertex far outside the vehicle"},
    // A blank line before it: the vertex's own line, not its place in the buffer.
    {"\t-1500/-5321/-2783", "\r\n\t-1500/-5321/-92783",
     "62: warning: component hierarchy.1.1: 1 vertex far outside the vehicle"},
    {"Length 12000", "Length 30000", "104: warning: the model is 12063 mm long, its Length says"},
    {"Length 12000", "Length 0", "104: warning: the assembly gives no Length"},
    {"## wheels11\r\n", "## wheels11\r\n\tINCLUDE 0/0/0\t hierarchy.MTX.1\r\n",
     "130: error: INCLUDE cycle: hierarchy.MTX.1 includes itself"},
    {"Skin \"glass.tga\"", "Skin glass.tga", "70: error: Skin line without a quoted texture name"},
};

TEST(Check, ReportsEachPlantedFaultOnce) {
  for (const Planted& p : kPlanted) {
    std::string text = Baseline();
    size_t at = text.find(p.from);
    ASSERT_NE(at, std::string::npos) << p.from;
    std::vector<Diagnostic> diagnostics;
    model::CheckModelText(text.replace(at, strlen(p.from), p.to), AllTexturesExist, diagnostics);
    std::string found = Describe(diagnostics);
    EXPECT_EQ(found.substr(0, strlen(p.finding)), p.finding) << found;
    EXPECT_EQ(diagnostics.size(), 1u) << found;
  }
}

TEST(Check, ReportsEachMissingTextureOnceWithItsFirstSkinLine) {
  std::vector<Diagnostic> diagnostics;
  size_t lookups = 0;
  auto exists = [&](const std::string& name) {
    ++lookups;
    return name != "bogie.tga";
  };
  model::CheckSummary s = model::CheckModelText(Baseline(), exists, diagnostics);
  EXPECT_EQ(Describe(diagnostics),
            "41: warning: texture bogie.tga is missing beside the model file\n");
  EXPECT_EQ(s.missing_textures, std::vector<std::string>{"bogie.tga"});
  EXPECT_EQ(lookups, 3u);
}

}  // namespace
