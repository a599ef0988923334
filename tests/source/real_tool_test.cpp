// Decompress with the real shape tool beside this test: a text shape comes back unchanged and
// becomes the source's twin, which then converts.
#include <gtest/gtest.h>

#include "source/source_commands.h"
#include "tests/engine/test_support.h"

namespace {

TEST(DecompressShape, RealToolWritesTheTextTwin) {
  TempFolder folder;
  ShapeParts parts;
  parts.sub_objects = "sub_objects ( 0 )\n";
  std::string text = ShapeText(BuildShape(parts));
  test::WriteFile(folder.path() + "/loco.s", text);
  DecompressOutcome outcome = DecompressShape(folder.path() + "/loco.s");
  ASSERT_TRUE(outcome.decompressed) << outcome.tool_output;
  EXPECT_EQ(test::ReadFile(folder.path() + "/loco_ASC.s"), text);
  ConversionOptions options;
  options.SourcePath = outcome.source;
  options.OutputDirectory = folder.path();
  RecordingLog log;
  EXPECT_TRUE(RunConversion(options, log));
  EXPECT_TRUE(FileExists(folder.path() + "/loco.stk"));
}

}  // namespace
