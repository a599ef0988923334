// The matrix hierarchy: placements in the assembly and the matrix components.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/engine/test_support.h"

namespace {

std::string Matrix(const char* name, const char* translation) {
  return std::string("matrix ") + name + " ( 1 0 0 0 1 0 0 0 1 " + translation + " )\n";
}

// Everything the conversion writes after the assembly's INCLUDE text of the primitives.
std::string Hierarchy(const std::string& matrices, const std::string& hierarchy) {
  ShapeParts parts;
  parts.matrices = matrices;
  parts.hierarchy = hierarchy;
  parts.sub_objects = "sub_objects ( 0 )\n";
  Converted c = ConvertShape(BuildShape(parts));
  EXPECT_TRUE(c.ok);
  size_t at = c.model.find("Length ");
  return c.model.substr(c.model.find("\n\n", at) + 2);
}

// Children of the root and nesting are in the golden files; these are the odd hierarchies.
TEST(WriteMatrixHierarchy, OddHierarchies) {
  const std::string main = Matrix("main", "0 0 0");
  const struct {
    std::string matrices;
    const char* hierarchy;
    const char* written;
  } cases[] = {
      {main, "hierarchy ( 1 -1 )\n", "\n"},
      // A second root gets no component and its children no placement.
      {main + Matrix("other", "1 1 1") + Matrix("under", "0 0 1"), "hierarchy ( 3 -1 -1 1 )\n",
       "\n\n[end]\nName loco.MTX.2\nComponent\nMillimetric\n\n"},
      // Matrices the hierarchy leaves out hang on matrix 0.
      {main + Matrix("a", "0 0 0") + Matrix("b", "0 0 1"), "hierarchy ( 1 -1 )\n",
       "\n\tINCLUDE 0/0/0\t loco.MTX.1\n\tINCLUDE 0/1000/0\t loco.MTX.2\n"
       "\n[end]\nName loco.MTX.1\nComponent\nMillimetric\n\n"
       "\n[end]\nName loco.MTX.2\nComponent\nMillimetric\n\n"},
      // A parent naming no matrix places nothing.
      {main + Matrix("lost", "0 0 0"), "hierarchy ( 2 -1 9 )\n",
       "\n\n[end]\nName loco.MTX.1\nComponent\nMillimetric\n\n"},
  };
  for (const auto& k : cases) {
    std::string count = std::to_string(std::count(k.matrices.begin(), k.matrices.end(), '\n'));
    EXPECT_EQ(Hierarchy("matrices ( " + count + "\n" + k.matrices + ")\n", k.hierarchy), k.written)
        << k.hierarchy;
  }
}

TEST(WriteMatrixHierarchy, AnnouncedButUnreadMatricesAreWalkedWithinTheFileSize) {
  // Two matrices read of 2000000000 announced: the rest hang on matrix 0 at the origin, and
  // no walk goes past the number of characters in the file.
  std::string matrices =
      "matrices ( 2000000000\n" + Matrix("main", "0 0 0") + Matrix("a", "0 0 1") + ")\n";
  std::string text = Hierarchy(matrices, "hierarchy ( 2 -1 0 )\n");
  EXPECT_EQ(text.substr(0, 63),
            "\n\tINCLUDE 0/1000/0\t loco.MTX.1\n\tINCLUDE 0/0/0\t loco.MTX.2\n\tINCL");
  EXPECT_LT(text.size(), 200000u);
  EXPECT_NE(text.find("\n[end]\nName loco.MTX.3\nComponent\nMillimetric\n\n"), std::string::npos);
}

// What the readers of the model file refuse is written as the shape says, with a warning.
TEST(RunConversion, WarnsOfNonFiniteNumbersAndAnIncludeCycle) {
  const std::string main = Matrix("main", "0 0 0");
  const struct {
    std::string matrices;
    const char* hierarchy;
    std::string warning;
  } cases[] = {
      {"matrices ( 2\n" + main + Matrix("far", "1e39 0 0") + ")\n", "hierarchy ( 2 -1 0 )\n",
       "the model file holds 1 number that its readers refuse: not finite, or beyond 10000000 mm"},
      {"matrices ( 1\n" + main + ")\n", "hierarchy ( 1 0 )\n",
       "its hierarchy makes matrix 0 its own ancestor: the model file's matrix components "
       "include each other in a cycle"},
      {"matrices ( 2\n" + main + main + ")\n", "hierarchy ( 2 1 0 )\n",
       "its hierarchy makes matrix 0 its own ancestor: the model file's matrix components "
       "include each other in a cycle"},
  };
  for (const auto& c : cases) {
    ShapeParts parts;
    parts.matrices = c.matrices;
    parts.hierarchy = c.hierarchy;
    parts.sub_objects = "sub_objects ( 0 )\n";
    Converted converted = ConvertShape(BuildShape(parts));
    EXPECT_TRUE(converted.ok) << (converted.log.failures.empty()
                                      ? ""
                                      : converted.log.failures[0].reason);
    size_t found = 0;
    for (const std::string& line : converted.log.lines)
      found += line.ends_with("loco.s: " + c.warning);
    EXPECT_EQ(found, 1u) << c.hierarchy;
  }
}

}  // namespace
