// Decompress with the real shape tool beside this test: a text shape comes back unchanged as
// the source's twin.
#include <gtest/gtest.h>

#include "source/source_commands.h"
#include "tests/engine/test_support.h"

namespace {

TEST(DecompressShape, RealToolWritesTheTextTwin) {
  TempFolder folder;
  std::string text = ShapeText(EmptyShape());
  DecompressOutcome outcome = DecompressShape(folder.Write("loco.s", text));
  ASSERT_TRUE(outcome.decompressed) << outcome.tool_output;
  EXPECT_EQ(outcome.source, folder.File("loco_ASC.s"));
  EXPECT_EQ(test::ReadFile(outcome.source), text);
}

}  // namespace
