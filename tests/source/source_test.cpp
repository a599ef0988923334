// Source preparation: the description file, the text test, the twin, the tool runner and the
// Decompress command with a stand-in tool.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>

#include "platform/files.h"
#include "platform/process.h"
#include "source/source_commands.h"
#include "tests/engine/test_support.h"

namespace {

const std::string kDash9Eng = ShapeText(
    "SIMISA@@@@@@@@@@JINX0D0t______\n\nWagon ( Dash9\n\tWagonShape ( Dash9.s )\n\tSize ( 3m 4.5m "
    "20.5m )\n)\n");

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(PrepareChosenSource, DescriptionFileNamesShapeAndLength) {
  TempFolder folder;
  test::WriteFile(folder.path() + "/DASH9.ENG", kDash9Eng);
  test::WriteFile(folder.path() + "/Dash9.S", ShapeText("shape ("));
  RecordingLog log;
  SourceOutcome outcome = PrepareChosenSource(folder.path() + "/DASH9.ENG", log);
  std::string lower = Lower(folder.path());
  EXPECT_EQ(outcome.eng, lower + "/dash9.eng");
  EXPECT_EQ(outcome.source, lower + "/dash9.s");
  EXPECT_EQ(outcome.length, 20.5f);
  EXPECT_TRUE(outcome.description_read);
  EXPECT_EQ(outcome.check, SourceCheck::kReady);
  EXPECT_EQ(ButtonsAfter(outcome.check), (SourceButtons{true, false}));
  EXPECT_EQ(log.lines, std::vector<std::string>{"Reading description file"});
  EXPECT_TRUE(log.failures.empty());
}

TEST(PrepareChosenSource, FailuresAndOtherExtensions) {
  TempFolder folder;
  test::WriteFile(folder.path() + "/none.wag", ShapeText("x\nMass ( 1t )\n"));
  test::WriteFile(folder.path() + "/lost.wag", ShapeText("x\nWagonShape ( lost.s )\n"));
  struct Case {
    std::string chosen;
    SourceCheck check;
    std::string source;  // below the folder
    bool description_read;
    size_t failures;
  } cases[] = {
      {"/Gone.ENG", SourceCheck::kFailed, "/gone.eng", false, 1},
      {"/none.wag", SourceCheck::kNotChecked, "/none.wag", true, 0},
      {"/lost.wag", SourceCheck::kFailed, "/lost.s", true, 1},
      {"/Gone.S", SourceCheck::kFailed, "/gone.s", false, 1},
      {"/Picture.PNG", SourceCheck::kNotChecked, "/picture.png", false, 0},
  };
  for (const Case& c : cases) {
    RecordingLog log;
    SourceOutcome outcome = PrepareChosenSource(folder.path() + c.chosen, log);
    EXPECT_EQ(outcome.check, c.check) << c.chosen;
    EXPECT_EQ(outcome.source, Lower(folder.path()) + c.source) << c.chosen;
    EXPECT_EQ(outcome.description_read, c.description_read) << c.chosen;
    EXPECT_EQ(log.failures.size(), c.failures) << c.chosen;
    EXPECT_FALSE(ButtonsAfter(outcome.check)) << c.chosen;
  }
}

TEST(ReadDescriptionFile, EdgeCasesOfTheTwoEntries) {
  struct Case {
    std::string text;
    std::optional<std::string> shape;  // below the folder
    std::optional<float> length;
  } cases[] = {
      {"x\nSize ( 3m 4.5m )\n", std::nullopt, 0.0f},  // fewer than three numbers
      {"x\nWagonShape ( a.s\n", "/", std::nullopt},   // no ")": an empty name
      {"x\nname ( none )\n", std::nullopt, std::nullopt},
      {"x\nSize ( 1 2 3 )\nSize ( 1 2 4 )\nWagonShape ( B.S )\n", "/b.s", 4.0f},
      {"WagonShape ( first.s )\n", std::nullopt, std::nullopt},  // the first line holds the mark
  };
  for (const Case& c : cases) {
    TempFolder folder;
    test::WriteFile(folder.path() + "/loco.eng", ShapeText(c.text));
    RecordingLog log;
    DescriptionEntries entries;
    EXPECT_TRUE(ReadDescriptionFile(folder.path() + "/loco.eng", log, entries));
    std::optional<std::string> shape;
    if (c.shape) shape = folder.path() + *c.shape;
    EXPECT_EQ(entries.shape_path, shape) << c.text;
    EXPECT_EQ(entries.length, c.length) << c.text;
  }
}

TEST(ReadDescriptionFile, TheShapeIsBesideTheFileThatNamesIt) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() + "/OpenRails");
  test::WriteFile(folder.path() + "/Coach.wag",
                  ShapeText("\nWagonShape ( Coach.s )\nComment (\nSize ( 1 2 9 )\n)\n"));
  test::WriteFile(
      folder.path() + "/OpenRails/Coach.wag",
      ShapeText("\ninclude ( \"..\\\\Coach.wag\" )\ninclude ( gone.inc )\nSize ( 3 4 20 )"));
  RecordingLog log;
  DescriptionEntries entries;
  EXPECT_TRUE(ReadDescriptionFile(folder.path() + "/OpenRails/Coach.wag", log, entries));
  EXPECT_EQ(entries.shape_path, folder.path() + "/OpenRails/../coach.s");
  EXPECT_EQ(entries.length, 20.0f);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Reading description file",
                                                 "Cannot read include file gone.inc"}));
}

TEST(ReadDescriptionFile, MissingFileReportsTheFailureAndLogsNothing) {
  RecordingLog log;
  DescriptionEntries entries;
  EXPECT_FALSE(ReadDescriptionFile("/nonexistent/x.eng", log, entries));
  ASSERT_EQ(log.failures.size(), 1u);
  EXPECT_EQ(log.failures[0].file, "/nonexistent/x.eng");
  EXPECT_EQ(log.failures[0].reason, "No such file or directory");
  EXPECT_TRUE(log.lines.empty());
}

TEST(CheckForDecompressedFile, TellsTextFromCompressedAndFindsTheTwin) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() + "/my.shapes");
  std::string text = folder.path() + "/my.shapes/text.s";
  std::string packed = folder.path() + "/my.shapes/loco.s";
  std::string tiny = folder.path() + "/my.shapes/tiny.s";
  test::WriteFile(text, ShapeText("shape ("));
  test::WriteFile(packed, "SIMISA@F\x10\x00\x00\x00");
  test::WriteFile(tiny, "\xff");
  struct Case {
    std::string path;
    SourceCheck result;
    std::vector<std::string> log;
  } cases[] = {
      {text, SourceCheck::kReady, {}},
      {packed, SourceCheck::kNeedsDecompression, {"Checking for decompressed file"}},
      {tiny, SourceCheck::kNeedsDecompression, {"Checking for decompressed file"}},
  };
  for (const Case& c : cases) {
    RecordingLog log;
    ShapeCheck check = CheckForDecompressedFile(c.path, log);
    EXPECT_EQ(check.check, c.result) << c.path;
    EXPECT_EQ(check.source, c.path);
    EXPECT_EQ(log.lines, c.log);
    EXPECT_EQ(ButtonsAfter(check.check),
              (SourceButtons{c.result == SourceCheck::kReady, c.result != SourceCheck::kReady}));
  }
  // A twin beside it, whatever its first bytes and its letter case: the source switches.
  test::WriteFile(folder.path() + "/my.shapes/LOCO_asc.S", "not text");
  RecordingLog log;
  ShapeCheck check = CheckForDecompressedFile(packed, log);
  EXPECT_EQ(check.check, SourceCheck::kReady);
  EXPECT_EQ(check.source, folder.path() + "/my.shapes/loco_ASC.s");
}

TEST(CheckForDecompressedFile, UnreadableShapeReportsTheFailure) {
  RecordingLog log;
  EXPECT_EQ(CheckForDecompressedFile("/nonexistent/loco.s", log).check, SourceCheck::kFailed);
  EXPECT_EQ(log.failures.size(), 1u);
}

TEST(ChooserStartFolder, SourceThenSavedSourceThenProgramFolder) {
  EXPECT_EQ(ChooserStartFolder("/a/b/c.s", "/saved/folder/last.s", "/prog"), "/a/b");
  EXPECT_EQ(ChooserStartFolder("", "/saved/folder/last.s", "/prog"), "/saved/folder");
  EXPECT_EQ(ChooserStartFolder("", "", "/prog"), "/prog");
  EXPECT_EQ(ChooserStartFolder("c.s", "", "/prog"), "");
}

TEST(RunCaptured, CollectsBothStreamsInOrder) {
  std::string out =
      platform::RunCaptured("/bin/sh", {"-c", "echo one; echo two >&2; echo three"}, "");
  EXPECT_EQ(out, "one\ntwo\nthree\n");
}

TEST(RunCaptured, WaitsForTheWritersAndRunsInTheFolder) {
  TempFolder folder;
  std::string out = platform::RunCaptured(
      "/bin/sh", {"-c", "sleep 0.3; pwd; read x || echo no-input"}, folder.path());
  EXPECT_EQ(out, folder.path() + "\nno-input\n");
}

TEST(RunCaptured, ProgramThatCannotStartGivesEmptyText) {
  EXPECT_EQ(platform::RunCaptured("/nonexistent/tool", {"a"}, ""), "");
}

TEST(MoveFileNoReplace, NeverReplacesAnExistingFile) {
  TempFolder folder;
  test::WriteFile(folder.path() + "/a", "new");
  test::WriteFile(folder.path() + "/b", "old");
  EXPECT_FALSE(platform::MoveFileNoReplace(folder.path() + "/a", folder.path() + "/b"));
  EXPECT_EQ(test::ReadFile(folder.path() + "/b"), "old");
  EXPECT_TRUE(platform::MoveFileNoReplace(folder.path() + "/a", folder.path() + "/c"));
  EXPECT_EQ(test::ReadFile(folder.path() + "/c"), "new");
  EXPECT_FALSE(FileExists(folder.path() + "/a"));
}

struct ToolRun {
  explicit ToolRun(const char* mode) {
    setenv("SW_TOOL_MODE", mode, 1);
    setenv("SW_TOOL_LOG", (folder.path() + "/tool.log").c_str(), 1);
  }
  ~ToolRun() {
    unsetenv("SW_TOOL_MODE");
    unsetenv("SW_TOOL_LOG");
  }
  TempFolder folder;
};

TEST(DecompressShape, RunsTheToolInAPrivateFolderAndMovesItsResult) {
  ToolRun tool("copy");
  std::string source = tool.folder.path() + "/Trains/Loco.Old.S";
  std::filesystem::create_directory(tool.folder.path() + "/Trains");
  test::WriteFile(source, "packed");
  std::string cwd = std::filesystem::current_path();
  DecompressOutcome outcome = DecompressShape(tool.folder.path() + "/trains/loco.old.s");
  EXPECT_TRUE(outcome.decompressed);
  EXPECT_FALSE(outcome.failure);
  EXPECT_EQ(outcome.source, tool.folder.path() + "/trains/loco.old_ASC.s");
  EXPECT_EQ(test::ReadFile(tool.folder.path() + "/Trains/loco.old_ASC.s"), "packed");
  EXPECT_EQ(std::filesystem::current_path().string(), cwd);
  std::string log = test::ReadFile(tool.folder.path() + "/tool.log");
  std::string work = log.substr(0, log.find('\n'));
  EXPECT_EQ(log.substr(work.size()), "\n" + source + "\n/u\n/o:new_asc.s\n");
  EXPECT_NE(work, platform::ProgramFolder() + "/FFEDIT");
  EXPECT_FALSE(FileExists(work));  // the private folder is gone
}

TEST(DecompressShape, ExistingTwinIsKeptAndBecomesTheSource) {
  ToolRun tool("copy");
  test::WriteFile(tool.folder.path() + "/loco.s", "packed");
  test::WriteFile(tool.folder.path() + "/loco_ASC.s", "earlier");
  DecompressOutcome outcome = DecompressShape(tool.folder.path() + "/loco.s");
  EXPECT_TRUE(outcome.decompressed);
  EXPECT_EQ(test::ReadFile(tool.folder.path() + "/loco_ASC.s"), "earlier");
  EXPECT_EQ(outcome.source, tool.folder.path() + "/loco_ASC.s");
}

TEST(DecompressShape, FailingToolGivesItsMessage) {
  ToolRun tool("fail");
  test::WriteFile(tool.folder.path() + "/loco.s", "packed");
  DecompressOutcome outcome = DecompressShape(tool.folder.path() + "/loco.s");
  EXPECT_FALSE(outcome.decompressed);
  EXPECT_EQ(outcome.tool_output, "cannot read shape: unknown token 0x1234 at byte 40\n");
  ASSERT_TRUE(outcome.failure);
  EXPECT_EQ(outcome.failure->file, tool.folder.path() + "/loco.s");
  EXPECT_EQ(outcome.failure->reason,
            "cannot decompress: cannot read shape: unknown token 0x1234 at byte 40");
  EXPECT_FALSE(FileExists(tool.folder.path() + "/loco_ASC.s"));
}

}  // namespace
