// The global tables: sections, counts, entries, and what a malformed section leaves.
#include <gtest/gtest.h>

#include "convert/shape_tables.h"
#include "convert/table_reader.h"
#include "tests/engine/test_support.h"

namespace {

// The tables of a shape given as text; a run that ends early throws, failing the test.
struct TablesRun : MemoryRun {
  explicit TablesRun(const std::string& text) : MemoryRun(text) { ReadShapeTables(run); }
};

// Parents come from the hierarchy line up to the matrix count; a line that runs out repeats
// its last value, and matrices past the hierarchy's count hang on matrix 0.
TEST(ReadShapeTables, HierarchySetsParentsUpToTheMatrixCount) {
  const struct {
    int announced, stored;
    const char* hierarchy;
    std::vector<int32_t> parents;
  } cases[] = {
      {3, 3, "hierarchy ( 3 -1 0 0 )\n", {-1, 0, 0}},
      {4, 4, "hierarchy ( 3 -1 0 0 )\n", {-1, 0, 0, 0}},
      {5, 2, "hierarchy ( 4 -1 1\n", {-1, 1, 1, 1, 0}},
  };
  for (const auto& k : cases) {
    ShapeParts parts;
    parts.matrices = "matrices ( " + std::to_string(k.announced) + "\n";
    for (int i = 0; i < k.stored; ++i) parts.matrices += "matrix m ( 1 0 0 0 1 0 0 0 1 0 0 0 )\n";
    parts.matrices += ")\n";
    parts.hierarchy = k.hierarchy;
    parts.sub_objects = "sub_objects ( 0\n";
    TablesRun t(BuildShape(parts));
    std::vector<int32_t> parents;
    for (int32_t i = 0; i < k.announced; ++i) parents.push_back(MatrixParent(t.run.tables, i));
    EXPECT_EQ(parents, k.parents) << k.announced << " " << k.hierarchy;
  }
}

}  // namespace
