// Source preparation: the description file, the text test, the twin, the tool runner and the
// Decompress command with a stand-in tool.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/process.h"
#include "source/source_commands.h"
#include "tests/engine/test_support.h"

namespace {

// A window that records what the commands did to it.
struct FakeWindow : DialogHooks {
  void ReadControls(DialogState&) override { ++reads; }
  void WriteControls(const DialogState& state) override {
    ++writes;
    shown_source = state.options.SourcePath;
  }
  void ShowLog(const DialogState&) override { ++shows; }
  bool ChooseSourceFile(const std::string& start, std::string& chosen) override {
    start_folder = start;
    if (answer.empty()) return false;
    chosen = answer;
    return true;
  }
  void ShowFileError(const FileFailure& failure) override { errors.push_back(failure); }
  void SetWaitCursor(bool waiting) override { cursor.push_back(waiting); }
  int reads = 0, writes = 0, shows = 0;
  std::string shown_source, start_folder, answer;
  std::vector<FileFailure> errors;
  std::vector<bool> cursor;
};

const std::string kDash9Eng = ShapeText(
    "SIMISA@@@@@@@@@@JINX0D0t______\n\nWagon ( Dash9\n\tWagonShape ( Dash9.s )\n\tSize ( 3m 4.5m "
    "20.5m )\n)\n");

TEST(ReadDescriptionFile, TakesShapeAndLengthFromTheFile) {
  TempFolder folder;
  WriteFileBytes(folder.path + "/DASH9.ENG", kDash9Eng);
  WriteFileBytes(folder.path + "/Dash9.S", ShapeText("shape ("));
  DialogState state;
  FakeWindow window;
  window.answer = folder.path + "/DASH9.ENG";
  BrowseSource(state, window);
  std::string lower = folder.path;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(state.options.EngPath, lower + "/dash9.eng");
  EXPECT_EQ(state.options.SourcePath, lower + "/dash9.s");
  EXPECT_EQ(state.options.Length, 20.5f);
  EXPECT_EQ(state.LogText, "Reading description file\r\n");
  EXPECT_EQ(state.LogLineCount, 1);
  EXPECT_TRUE(state.ConvertEnabled);
  EXPECT_FALSE(state.DecompressEnabled);
  EXPECT_TRUE(window.errors.empty());
}

TEST(ReadDescriptionFile, EdgeCasesOfTheTwoEntries) {
  struct Case {
    std::string text;
    std::string shape;  // what SourcePath ends with
    float length;
  } cases[] = {
      {"x\nSize ( 3m 4.5m )\n", "/loco.eng", 0},  // fewer than three numbers
      {"x\nWagonShape ( a.s\n", "/", 7},          // no ")": an empty name
      {"x\nname ( none )\n", "/loco.eng", 7},     // neither entry
      {"x\nSize ( 1 2 3 )\nSize ( 1 2 4 )\nWagonShape ( B.S )\n", "/b.s", 4},
      {"WagonShape ( first.s )\n", "/loco.eng", 7},  // the first line holds the mark
  };
  for (const Case& c : cases) {
    TempFolder folder;
    WriteFileBytes(folder.path + "/loco.eng", ShapeText(c.text));
    DialogState state;
    state.options.Length = 7;
    state.options.EngPath = folder.path + "/loco.eng";
    state.options.SourcePath = state.options.EngPath;
    FakeWindow window;
    EXPECT_TRUE(ReadDescriptionFile(state, window));
    EXPECT_EQ(state.options.SourcePath, folder.path + c.shape) << c.text;
    EXPECT_EQ(state.options.Length, c.length) << c.text;
  }
}

TEST(ReadDescriptionFile, MissingFileShowsTheErrorAndLogsNothing) {
  DialogState state;
  state.options.EngPath = "/nonexistent/x.eng";
  FakeWindow window;
  EXPECT_FALSE(ReadDescriptionFile(state, window));
  ASSERT_EQ(window.errors.size(), 1u);
  EXPECT_EQ(window.errors[0].file, "/nonexistent/x.eng");
  EXPECT_EQ(window.errors[0].reason, "No such file or directory");
  EXPECT_EQ(state.LogText, "");
}

TEST(CheckForDecompressedFile, TellsTextFromCompressedAndFindsTheTwin) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path + "/my.shapes");
  std::string text = folder.path + "/my.shapes/text.s";
  std::string packed = folder.path + "/my.shapes/loco.s";
  std::string tiny = folder.path + "/my.shapes/tiny.s";
  WriteFileBytes(text, ShapeText("shape ("));
  WriteFileBytes(packed, "SIMISA@F\x10\x00\x00\x00");
  WriteFileBytes(tiny, "\xff");
  struct Case {
    std::string path;
    SourceCheck result;
    const char* log;
  } cases[] = {
      {text, SourceCheck::kReady, ""},
      {packed, SourceCheck::kNeedsDecompression, "Checking for decompressed file\r\n"},
      {tiny, SourceCheck::kNeedsDecompression, "Checking for decompressed file\r\n"},
  };
  for (const Case& c : cases) {
    DialogState state;
    state.options.SourcePath = c.path;
    FakeWindow window;
    EXPECT_EQ(CheckForDecompressedFile(state, window), c.result) << c.path;
    EXPECT_EQ(state.LogText, c.log);
    EXPECT_EQ(state.ConvertEnabled, c.result == SourceCheck::kReady);
    EXPECT_EQ(state.DecompressEnabled, c.result != SourceCheck::kReady);
  }
  // A twin beside it, whatever its first bytes and its letter case: the source switches.
  WriteFileBytes(folder.path + "/my.shapes/LOCO_asc.S", "not text");
  DialogState state;
  state.options.SourcePath = packed;
  FakeWindow window;
  EXPECT_EQ(CheckForDecompressedFile(state, window), SourceCheck::kReady);
  EXPECT_EQ(state.options.SourcePath, folder.path + "/my.shapes/loco_ASC.s");
  EXPECT_EQ(window.shown_source, state.options.SourcePath);
}

TEST(CheckForDecompressedFile, UnreadableShapeShowsTheErrorAndKeepsTheButtons) {
  DialogState state;
  state.options.SourcePath = "/nonexistent/loco.s";
  state.ConvertEnabled = false;
  FakeWindow window;
  EXPECT_EQ(CheckForDecompressedFile(state, window), SourceCheck::kFailed);
  EXPECT_EQ(window.errors.size(), 1u);
  EXPECT_FALSE(state.ConvertEnabled);
  EXPECT_TRUE(state.DecompressEnabled);
}

TEST(BrowseSource, StartFolderCancelAndOtherExtensions) {
  DialogState state;
  state.SavedSourcePath = "/saved/folder/last.s";
  state.LogText = "old\r\n";
  state.LogLineCount = 1;
  FakeWindow window;
  BrowseSource(state, window);  // cancelled
  EXPECT_EQ(window.start_folder, "/saved/folder");
  EXPECT_EQ(state.LogText, "");
  EXPECT_EQ(window.reads, 1);
  state.options.SourcePath = "/a/b/c.s";
  BrowseSource(state, window);
  EXPECT_EQ(window.start_folder, "/a/b");
  state.options.SourcePath.clear();
  state.SavedSourcePath.clear();
  BrowseSource(state, window);
  EXPECT_EQ(window.start_folder, platform::ProgramFolder());
  window.answer = "/Some/Picture.PNG";
  state.options.EngPath = "/x.eng";
  BrowseSource(state, window);
  EXPECT_EQ(state.options.SourcePath, "/some/picture.png");
  EXPECT_EQ(state.options.EngPath, "");
  EXPECT_TRUE(window.errors.empty());
}

TEST(RunCaptured, CollectsBothStreamsInOrder) {
  std::string out =
      platform::RunCaptured("/bin/sh", {"-c", "echo one; echo two >&2; echo three"}, "");
  EXPECT_EQ(out, "one\ntwo\nthree\n");
}

TEST(RunCaptured, WaitsForTheWritersAndRunsInTheFolder) {
  TempFolder folder;
  std::string out = platform::RunCaptured(
      "/bin/sh", {"-c", "sleep 0.3; pwd; read x || echo no-input"}, folder.path);
  EXPECT_EQ(out, folder.path + "\nno-input\n");
}

TEST(RunCaptured, ProgramThatCannotStartGivesEmptyText) {
  EXPECT_EQ(platform::RunCaptured("/nonexistent/tool", {"a"}, ""), "");
}

TEST(MoveFileNoReplace, NeverReplacesAnExistingFile) {
  TempFolder folder;
  WriteFileBytes(folder.path + "/a", "new");
  WriteFileBytes(folder.path + "/b", "old");
  EXPECT_FALSE(platform::MoveFileNoReplace(folder.path + "/a", folder.path + "/b"));
  EXPECT_EQ(ReadFileBytes(folder.path + "/b"), "old");
  EXPECT_TRUE(platform::MoveFileNoReplace(folder.path + "/a", folder.path + "/c"));
  EXPECT_EQ(ReadFileBytes(folder.path + "/c"), "new");
  EXPECT_FALSE(FileExists(folder.path + "/a"));
}

struct ToolRun {
  explicit ToolRun(const char* mode) {
    setenv("SW_TOOL_MODE", mode, 1);
    setenv("SW_TOOL_LOG", (folder.path + "/tool.log").c_str(), 1);
  }
  ~ToolRun() {
    unsetenv("SW_TOOL_MODE");
    unsetenv("SW_TOOL_LOG");
  }
  TempFolder folder;
};

TEST(DecompressSource, RunsTheToolInAPrivateFolderAndMovesItsResult) {
  ToolRun tool("copy");
  std::string source = tool.folder.path + "/Trains/Loco.Old.S";
  std::filesystem::create_directory(tool.folder.path + "/Trains");
  WriteFileBytes(source, "packed");
  DialogState state;
  state.options.SourcePath = tool.folder.path + "/trains/loco.old.s";
  state.LogText = "x\r\n";
  state.ConvertEnabled = false;
  FakeWindow window;
  bool decompressed = false;
  std::string cwd = std::filesystem::current_path();
  DecompressSource(state, window, &decompressed);
  EXPECT_TRUE(decompressed);
  EXPECT_EQ(state.options.SourcePath, tool.folder.path + "/trains/loco.old_ASC.s");
  EXPECT_EQ(ReadFileBytes(tool.folder.path + "/Trains/loco.old_ASC.s"), "packed");
  EXPECT_TRUE(state.ConvertEnabled);
  EXPECT_FALSE(state.DecompressEnabled);
  EXPECT_EQ(state.LogText, "");
  EXPECT_EQ(window.cursor, (std::vector<bool>{true, false}));
  EXPECT_EQ(std::filesystem::current_path().string(), cwd);
  std::string log = ReadFileBytes(tool.folder.path + "/tool.log");
  std::string work = log.substr(0, log.find('\n'));
  EXPECT_EQ(log.substr(work.size()), "\n" + source + "\n/u\n/o:new_asc.s\n");
  EXPECT_NE(work, platform::ProgramFolder() + "/FFEDIT");
  EXPECT_FALSE(FileExists(work));  // the private folder is gone
}

TEST(DecompressSource, ExistingTwinIsKeptAndBecomesTheSource) {
  ToolRun tool("copy");
  WriteFileBytes(tool.folder.path + "/loco.s", "packed");
  WriteFileBytes(tool.folder.path + "/loco_ASC.s", "earlier");
  DialogState state;
  state.options.SourcePath = tool.folder.path + "/loco.s";
  FakeWindow window;
  bool decompressed = false;
  DecompressSource(state, window, &decompressed);
  EXPECT_TRUE(decompressed);
  EXPECT_EQ(ReadFileBytes(tool.folder.path + "/loco_ASC.s"), "earlier");
  EXPECT_EQ(state.options.SourcePath, tool.folder.path + "/loco_ASC.s");
}

TEST(DecompressSource, FailingToolChangesNothingAndReturnsItsMessage) {
  ToolRun tool("fail");
  WriteFileBytes(tool.folder.path + "/loco.s", "packed");
  DialogState state;
  state.options.SourcePath = tool.folder.path + "/loco.s";
  state.ConvertEnabled = false;
  FakeWindow window;
  bool decompressed = true;
  std::string output = DecompressSource(state, window, &decompressed);
  EXPECT_FALSE(decompressed);
  EXPECT_EQ(output, "cannot read shape: unknown token 0x1234 at byte 40\n");
  EXPECT_EQ(state.options.SourcePath, tool.folder.path + "/loco.s");
  EXPECT_FALSE(state.ConvertEnabled);
  EXPECT_FALSE(FileExists(tool.folder.path + "/loco_ASC.s"));
}

}  // namespace
