// Source preparation: the description file, the text test, the twin and the Decompress
// command with a stand-in tool.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>

#include "base/paths.h"
#include "base/text.h"
#include "platform/files.h"
#include "source/source_commands.h"
#include "tests/engine/test_support.h"

namespace {

TEST(PrepareChosenSource, DescriptionFilesShapesAndOtherFiles) {
  TempFolder folder;
  folder.Write("DASH9.ENG", ShapeText("x\nWagon ( Dash9\n\tWagonShape ( Dash9.s )\n"
                                      "\tSize ( 3m 4.5m 20.5m )\n)\n"));
  folder.Write("Dash9.S", ShapeText("shape ("));
  folder.Write("none.wag", ShapeText("x\nMass ( 1t )\n"));
  folder.Write("lost.wag", ShapeText("x\nWagonShape ( lost.s )\n"));
  // The chosen file is read as given; a shape is named after its file name in lower case.
  const struct {
    std::string chosen;
    SourceCheck check;
    std::string source, name;  // below the folder
    std::optional<float> length;
    bool description_read;
    size_t failures;
  } cases[] = {
      {"/DASH9.ENG", SourceCheck::kReady, "/dash9.s", "/dash9.s", 20.5f, true, 0},
      {"/none.wag", SourceCheck::kNotChecked, "/none.wag", "", {}, true, 0},
      {"/lost.wag", SourceCheck::kFailed, "/lost.s", "/lost.s", {}, true, 1},
      {"/Gone.S", SourceCheck::kFailed, "/Gone.S", "/gone.s", {}, false, 1},
      {"/Picture.PNG", SourceCheck::kNotChecked, "/Picture.PNG", "", {}, false, 0},
  };
  const std::string& in = folder.path();
  for (const auto& c : cases) {
    RecordingLog log;
    SourceOutcome outcome = PrepareChosenSource(folder.path() + c.chosen, log);
    EXPECT_EQ(outcome.check, c.check) << c.chosen;
    EXPECT_EQ(outcome.source, in + c.source) << c.chosen;
    EXPECT_EQ(outcome.name_path, c.name.empty() ? "" : in + c.name) << c.chosen;
    EXPECT_EQ(outcome.length, c.length) << c.chosen;
    EXPECT_EQ(outcome.description_read, c.description_read) << c.chosen;
    EXPECT_EQ(log.failures.size(), c.failures) << c.chosen;
  }
  EXPECT_EQ(ButtonsAfter(SourceCheck::kFailed), std::nullopt);
  EXPECT_EQ(ButtonsAfter(SourceCheck::kNotChecked), std::nullopt);
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
      {"WagonShape ( first.s )\n", std::nullopt, std::nullopt},     // the first line holds the mark
      {"x\nWagonShape ( \xD6SHAPE.s )\n", "/\xC3\x96shape.s", {}},  // Latin-1 made UTF-8
      {"x\nWagonShape ( ..\\Sub\\A.s )\n", "/../sub/a.s", {}},
      // Glued length units; an unknown one is metres, with a warning at its line.
      {"x\nSize ( 3m 4m 50ft )\n", std::nullopt, 15.24f},
      {"x\nSize ( 3m 4m 600in )\n", std::nullopt, 15.24f},
      {"x\nSize ( 3 4 1540cm )\n", std::nullopt, 15.4f},
      {"x\nSize ( 3m 4m 15400mm )\n", std::nullopt, 15.4f},
      {"x\ny\nSize ( 3m 4m 15yd )\n", std::nullopt, 15.0f},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    RecordingLog log;
    DescriptionEntries entries;
    EXPECT_TRUE(ReadDescriptionFile(folder.Write("loco.eng", ShapeText(c.text)), log, entries));
    std::optional<std::string> shape;
    if (c.shape) shape = folder.path() + *c.shape;
    EXPECT_EQ(entries.shape_path, shape) << c.text;
    EXPECT_EQ(entries.length, c.length) << c.text;
    bool unknown_unit = c.text.find("yd") != std::string::npos;
    ASSERT_EQ(log.beeps.size(), unknown_unit ? 1u : 0u) << c.text;
    if (unknown_unit) {
      EXPECT_EQ(log.beeps[0].line, 3) << log.beeps[0].expected;
    }
  }
}

TEST(CheckForDecompressedFile, TellsTextFromCompressedAndFindsTheTwin) {
  TempFolder folder;
  const struct {
    std::string name;  // below my.shapes/
    std::string bytes;
    SourceCheck result;
    SourceButtons buttons;  // Convert, Decompress
  } cases[] = {
      {"text.s", ShapeText("shape ("), SourceCheck::kReady, {true, false}},
      {"loco.s", "SIMISA@F\x10", SourceCheck::kNeedsDecompression, {false, true}},
      {"tiny.s", "\xff", SourceCheck::kNeedsDecompression, {false, true}},
  };
  for (const auto& c : cases) {
    RecordingLog log;
    std::string path = folder.Write("my.shapes/" + c.name, c.bytes);
    ShapeCheck check = CheckForDecompressedFile(path, log);
    EXPECT_EQ(check.check, c.result) << c.name;
    EXPECT_EQ(check.source, path);
    EXPECT_EQ(log.lines.size(), c.result == SourceCheck::kReady ? 0u : 1u) << c.name;
    EXPECT_EQ(ButtonsAfter(check.check), c.buttons) << c.name;
  }
  // A twin beside it, whatever its first bytes and its letter case: the source switches.
  folder.Write("my.shapes/LOCO_asc.S", "not text");
  RecordingLog log;
  ShapeCheck check = CheckForDecompressedFile(folder.File("my.shapes/loco.s"), log);
  EXPECT_EQ(check.check, SourceCheck::kReady);
  EXPECT_EQ(check.source, folder.File("my.shapes/loco_ASC.s"));
  EXPECT_EQ(log.lines, std::vector<std::string>{"Checking for decompressed file"});
}

// The stand-in tool copies its source to its result, or fails with a message on its error
// stream (mode "fail").
struct ToolRun {
  explicit ToolRun(const char* mode) {
    test::SetEnv("SW_TOOL_MODE", mode);
    test::SetEnv("SW_TOOL_LOG", f.File("tool.log").c_str());
  }
  ~ToolRun() {
    test::SetEnv("SW_TOOL_MODE", nullptr);
    test::SetEnv("SW_TOOL_LOG", nullptr);
  }
  TempFolder f;
};

TEST(DecompressShape, RunsTheToolInAPrivateFolderAndMovesItsResult) {
  SKIP_ON_WINDOWS("the stand-in shape tool is a shell script");
  ToolRun tool("copy");
  std::string source = tool.f.Write("Trains/Loco.Old.S", "packed");
  std::string cwd = std::filesystem::current_path().string();
  DecompressOutcome outcome = DecompressShape(tool.f.File("trains/loco.old.s"));
  EXPECT_TRUE(outcome.decompressed);
  EXPECT_FALSE(outcome.failure);
  EXPECT_EQ(outcome.source, tool.f.File("trains/loco.old_ASC.s"));
  EXPECT_EQ(test::ReadFile(tool.f.File("Trains/loco.old_ASC.s")), "packed");
  EXPECT_EQ(std::filesystem::current_path().string(), cwd);
  std::string log = test::ReadFile(tool.f.File("tool.log"));
  std::string work = log.substr(0, log.find('\n'));
  EXPECT_EQ(log.substr(work.size()), "\n" + source + "\n/u\n/o:new_asc.s\n");
  EXPECT_NE(work, platform::ProgramFolder() + "/FFEDIT");
  EXPECT_FALSE(FileExists(work));  // the private folder is gone
  // An earlier twin is kept and becomes the source.
  test::WriteFile(tool.f.File("Trains/loco.old_ASC.s"), "earlier");
  EXPECT_EQ(DecompressShape(tool.f.File("trains/loco.old.s")).source, outcome.source);
  EXPECT_EQ(test::ReadFile(tool.f.File("Trains/loco.old_ASC.s")), "earlier");
}

// A folder that refuses the twin (here a dangling link holds its name): the reason, or the text
// kept in a new private folder under the same name when one is offered.
TEST(DecompressShape, FolderThatRefusesTheTwinSaysWhyOrKeepsTheTextPrivately) {
  SKIP_ON_WINDOWS("the stand-in shape tool is a shell script");
  ToolRun tool("copy");
  tool.f.Write("set/loco.s", "packed");
  std::filesystem::create_symlink("gone", tool.f.File("set/loco_ASC.s"));
  DecompressOutcome refused = DecompressShape(tool.f.File("set/loco.s"));
  ASSERT_TRUE(refused.failure);
  EXPECT_EQ(refused.failure->reason,
            "cannot decompress: cannot write loco_ASC.s beside it: File exists");
  DecompressOutcome kept = DecompressShape(tool.f.File("set/loco.s"), {true, tool.f.File("c")});
  EXPECT_EQ(kept.source, kept.kept_in + "/loco_ASC.s");
  EXPECT_EQ(FolderOf(kept.kept_in), tool.f.File("c"));
  EXPECT_EQ(test::ReadFile(kept.source), "packed");
}

TEST(DecompressShape, FailingToolGivesItsMessage) {
  SKIP_ON_WINDOWS("the stand-in shape tool is a shell script");
  ToolRun tool("fail");
  tool.f.Write("loco.s", "packed");
  DecompressOutcome outcome = DecompressShape(tool.f.File("loco.s"));
  EXPECT_FALSE(outcome.decompressed);
  EXPECT_EQ(outcome.tool_output, "cannot read shape: unknown token 0x1234 at byte 40\n");
  ASSERT_TRUE(outcome.failure);
  EXPECT_EQ(outcome.failure->file, tool.f.File("loco.s"));
  EXPECT_EQ(outcome.failure->reason,
            "cannot decompress: cannot read shape: unknown token 0x1234 at byte 40");
  EXPECT_FALSE(FileExists(tool.f.File("loco_ASC.s")));
}

}  // namespace
