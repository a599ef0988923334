// The matrix hierarchy: placements in the assembly and the matrix components.
#include <gtest/gtest.h>

#include "tests/engine/test_support.h"

namespace {

std::string Matrix(const char* name, const char* translation) {
  return std::string("matrix ") + name + " ( 1 0 0 0 1 0 0 0 1 " + translation + " )\n";
}

// Everything the conversion writes after the assembly's INCLUDE text of the primitives.
std::string Hierarchy(const std::string& matrices, const std::string& hierarchy, float length = 20,
                      bool two_foot = false) {
  ShapeParts parts;
  parts.matrices = matrices;
  parts.hierarchy = hierarchy;
  parts.sub_objects = "sub_objects ( 0 )\n";
  Converted c = ConvertShape(BuildShape(parts), length, two_foot);
  EXPECT_TRUE(c.ok);
  size_t at = c.model.find("Length ");
  return c.model.substr(c.model.find("\n\n", at) + 2);
}

TEST(WriteMatrixHierarchy, RootAloneWritesOnlyTheEmptyLine) {
  EXPECT_EQ(Hierarchy("matrices ( 1\n" + Matrix("main", "0 0 0") + ")\n", "hierarchy ( 1 -1 )\n"),
            "\n");
}

TEST(WriteMatrixHierarchy, ChildrenOfTheRootArePlacedInTheAssembly) {
  std::string matrices = "matrices ( 4\n" + Matrix("main", "0 0 0") +
                         Matrix("bogie1", "0.0625 0.5 4") + Matrix("bogie2", "0 0.5 -4") +
                         Matrix("wheels", "0 -0.25 0.75") + ")\n";
  EXPECT_EQ(
      Hierarchy(matrices, "hierarchy ( 4 -1 0 0 1 )\n"),
      "\n\tINCLUDE 63/14000/500\t loco.MTX.1\n\tINCLUDE 0/6000/500\t loco.MTX.2\n"
      "\n[end]\nName loco.MTX.1\nComponent\nMillimetric\n\n\tINCLUDE 0/750/-250\t loco.MTX.3\n"
      "\n[end]\nName loco.MTX.2\nComponent\nMillimetric\n\n"
      "\n[end]\nName loco.MTX.3\nComponent\nMillimetric\n\n");
  EXPECT_EQ(
      Hierarchy(matrices, "hierarchy ( 4 -1 0 0 1 )\n", 20, true),
      "\n\tINCLUDE 31/7000/250\t loco.MTX.1\n\tINCLUDE 0/3000/250\t loco.MTX.2\n"
      "\n[end]\nName loco.MTX.1\nComponent\nMillimetric\n\n\tINCLUDE 0/375/-125\t loco.MTX.3\n"
      "\n[end]\nName loco.MTX.2\nComponent\nMillimetric\n\n"
      "\n[end]\nName loco.MTX.3\nComponent\nMillimetric\n\n");
}

TEST(WriteMatrixHierarchy, SecondRootGetsNoComponentAndItsChildrenNoPlacement) {
  std::string matrices = "matrices ( 3\n" + Matrix("main", "0 0 0") + Matrix("other", "1 1 1") +
                         Matrix("under", "0 0 1") + ")\n";
  EXPECT_EQ(Hierarchy(matrices, "hierarchy ( 3 -1 -1 1 )\n", 0),
            "\n\n[end]\nName loco.MTX.2\nComponent\nMillimetric\n\n");
}

TEST(WriteMatrixHierarchy, MatricesTheHierarchyLeavesOutHangOnMatrixZero) {
  std::string matrices = "matrices ( 3\n" + Matrix("main", "0 0 0") + Matrix("a", "0 0 0") +
                         Matrix("b", "0 0 1") + ")\n";
  EXPECT_EQ(Hierarchy(matrices, "hierarchy ( 1 -1 )\n", 0),
            "\n\tINCLUDE 0/0/0\t loco.MTX.1\n\tINCLUDE 0/1000/0\t loco.MTX.2\n"
            "\n[end]\nName loco.MTX.1\nComponent\nMillimetric\n\n"
            "\n[end]\nName loco.MTX.2\nComponent\nMillimetric\n\n");
}

TEST(WriteMatrixHierarchy, ParentNamingNoMatrixPlacesNothing) {
  std::string matrices =
      "matrices ( 2\n" + Matrix("main", "0 0 0") + Matrix("lost", "0 0 0") + ")\n";
  EXPECT_EQ(Hierarchy(matrices, "hierarchy ( 2 -1 9 )\n", 0),
            "\n\n[end]\nName loco.MTX.1\nComponent\nMillimetric\n\n");
}

TEST(WriteMatrixHierarchy, AnnouncedButUnreadMatricesAreWalkedWithinTheFileSize) {
  // Two matrices read of 2000000000 announced: the rest hang on matrix 0 at the origin, and
  // no walk goes past the number of characters in the file.
  std::string matrices =
      "matrices ( 2000000000\n" + Matrix("main", "0 0 0") + Matrix("a", "0 0 1") + ")\n";
  std::string text = Hierarchy(matrices, "hierarchy ( 2 -1 0 )\n", 0);
  EXPECT_EQ(text.substr(0, 63),
            "\n\tINCLUDE 0/1000/0\t loco.MTX.1\n\tINCLUDE 0/0/0\t loco.MTX.2\n\tINCL");
  EXPECT_LT(text.size(), 200000u);
  EXPECT_NE(text.find("\n[end]\nName loco.MTX.3\nComponent\nMillimetric\n\n"), std::string::npos);
}

}  // namespace
