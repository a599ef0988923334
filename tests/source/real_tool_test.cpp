// Decompress with the real shape tool beside this test: a text shape comes back unchanged and
// becomes the source's twin, which then converts.
#include <gtest/gtest.h>

#include "source/source_commands.h"
#include "tests/engine/test_support.h"

namespace {

struct QuietWindow : DialogHooks {
  void ReadControls(DialogState&) override {}
  void WriteControls(const DialogState&) override {}
  void ShowLog(const DialogState&) override {}
  bool ChooseSourceFile(const std::string&, std::string&) override { return false; }
  void ShowFileError(const FileFailure&) override {}
  void SetWaitCursor(bool) override {}
};

TEST(DecompressSource, RealToolWritesTheTextTwin) {
  TempFolder folder;
  ShapeParts parts;
  parts.sub_objects = "sub_objects ( 0 )\n";
  std::string text = ShapeText(BuildShape(parts));
  WriteFileBytes(folder.path + "/loco.s", text);
  DialogState state;
  state.options.SourcePath = folder.path + "/loco.s";
  state.options.OutputDirectory = folder.path;
  QuietWindow window;
  bool decompressed = false;
  std::string output = DecompressSource(state, window, &decompressed);
  ASSERT_TRUE(decompressed) << output;
  EXPECT_EQ(ReadFileBytes(folder.path + "/loco_ASC.s"), text);
  RecordingLog log;
  EXPECT_TRUE(RunConversion(state.options, log));
  EXPECT_TRUE(FileExists(folder.path + "/loco.stk"));
}

}  // namespace
