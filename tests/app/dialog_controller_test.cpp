// What the main dialog's commands do to the fields, the log, the buttons and the settings,
// driven through the controller with a stand-in view, choosers, message boxes and settings.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/paths.h"
#include "tests/app/dialog_test_support.h"

namespace {

using namespace res;
using Lines = std::vector<std::string>;

class Dialog : public ::testing::Test {
 protected:
  // A shape that converts, written into the folder; returns its path.
  std::string WriteShape(const std::string& name = "loco.s") {
    return folder.Write(name, ShapeText(EmptyShape()));
  }
  // Source, output folder and length filled in, as a user does before Convert.
  void Fill(const std::string& source, const std::string& output, const std::string& length) {
    ui.Type(kIdSource, source);
    ui.Type(kIdOutputDirectory, output);
    ui.Type(kIdLength, length);
  }
  bool ModelHas(const std::string& name, const std::string& part) const {
    return WithoutCarriageReturns(test::ReadFile(folder.File(name))).find(part) !=
           std::string::npos;
  }

  TempFolder folder;
  ControllerUnderTest ui;
};

TEST_F(Dialog, Convert_TakesTheFieldsAndTheTwoFootOption) {
  std::filesystem::create_directory(folder.File("out"));
  Fill(WriteShape(), folder.File("out"), "12,5");  // no number: asks for one, runs nothing
  ui.controller.OnConvert();
  EXPECT_EQ(ui.services.messages, Lines{"Please enter a number."});
  EXPECT_EQ(ui.view.focus, kIdLength);
  EXPECT_EQ(ui.Log(), "");
  ui.Type(kIdLength, "20");
  ui.controller.OnTwoFoot(true);
  EXPECT_FALSE(ui.view.preview_enabled);
  ui.controller.OnConvert();
  EXPECT_TRUE(ModelHas("out/loco.stk", "Length 10000\n"));
  EXPECT_EQ(ui.Log().substr(ui.Log().size() - 26), "\r\n***** FINISHED *****\r\n\r\n");
  EXPECT_EQ(ui.services.cursor, (std::vector<bool>{true, false}));
  // "Preview…" shows the model just written.
  EXPECT_TRUE(ui.view.preview_enabled);
  ui.controller.OnPreview();
  EXPECT_EQ(ui.view.previews, Lines{folder.File("out/loco.stk")});
  ui.controller.OnAbout();
  ASSERT_EQ(ui.view.about_lines.size(), 1u);  // from the record res/version.txt describes
  EXPECT_EQ(ui.view.about_lines[0].rfind("Shapewright Version 1.", 0), 0u);
}

// Text typed into the pane stays; each run adds its lines and the pane shows them all.
TEST_F(Dialog, Convert_LogGrowsRunByRun) {
  Fill(WriteShape(), folder.path(), "10");
  ui.Type(kIdLog, "note\r\n");
  ui.controller.OnConvert();
  ASSERT_EQ(ui.Log().substr(0, 20), "note\r\nReading file\r\n");
  const std::string one_run = ui.Log().substr(6);
  const int lines = ui.controller.State().LogLineCount;
  for (int run = 1; run < 4; ++run) ui.controller.OnConvert();
  EXPECT_EQ(ui.Log(), "note\r\n" + one_run + one_run + one_run + one_run);
  EXPECT_EQ(ui.controller.State().LogLineCount, 4 * lines);
  EXPECT_EQ(ui.view.painted, ui.Log());
  // A cancelled source chooser empties the log, and nothing else.
  ui.services.source_answers.push_back(std::nullopt);
  ui.controller.OnBrowseSource();
  EXPECT_EQ(ui.Log(), "");
  EXPECT_EQ(ui.controller.State().LogLineCount, 0);
  EXPECT_EQ(ui.Text(kIdSource), folder.File("loco.s"));
}

TEST_F(Dialog, Convert_FileErrorOverAPaneShowingTheLogAndBeeps) {
  Fill(folder.File("gone.s"), folder.path(), "0");
  ui.controller.OnConvert();
  EXPECT_EQ(ui.services.file_errors, Lines{folder.File("gone.s: No such file or directory")});
  EXPECT_EQ(ui.Log(), "Reading file\r\n");
  EXPECT_TRUE(ui.Enabled(kIdOk));
  EXPECT_EQ(ui.services.cursor, (std::vector<bool>{true, false}));
  // The box opens over a pane that shows the line that led to it.
  ui.controller.OnConvert();
  EXPECT_EQ(ui.services.file_errors.size(), 2u);
  EXPECT_EQ(ui.services.pane_at_file_error, "Reading file\r\nReading file\r\n");
  ui.Type(kIdSource, folder.Write("bad.s", ShapeText(test::ReadTestData("malformed.s.txt"))));
  ui.controller.OnConvert();
  EXPECT_EQ(ui.services.beeps, 10);  // one per malformed entry
}

// Each kind of source, chosen with Browse and given to the program ("open with", which takes
// Browse's path without showing the chooser): the fields, buttons, log and error boxes after.
TEST_F(Dialog, BrowseAndOpenWith_EachKindOfSource) {
  WriteShape("Loco.S");
  folder.Write("packed.s", CompressedShapeBytes());
  folder.Write("twin.s", CompressedShapeBytes());
  WriteShape("twin_ASC.s");
  folder.Write("hierarchy.s", ShapeText(test::ReadTestData("hierarchy.s.txt")));
  folder.Write("Steam.ENG", ShapeText(test::ReadTestData("steam.eng.txt")));
  folder.Write("inc.wag", ShapeText("x\ninclude ( \"Gone.inc\" )\nWagonShape ( loco.s )\n"));
  folder.Write("lost.wag", ShapeText("x\nWagonShape ( lost.s )\n"));
  const std::string& in = folder.path();
  const std::string missing = ": No such file or directory";
  const std::string described = "Reading description file\r\n";
  const std::string no_include = "Cannot read include file Gone.inc\r\n";
  const struct {
    const char* chosen;
    std::string source, length;
    bool convert, decompress;
    std::string log;
    Lines errors;
  } cases[] = {
      {"Loco.S", in + "/Loco.S", "0", true, false, "", {}},
      {"packed.s", in + "/packed.s", "0", false, true, "Checking for decompressed file\r\n", {}},
      {"twin.s", in + "/twin_ASC.s", "0", true, false, "Checking for decompressed file\r\n", {}},
      {"Steam.ENG", in + "/hierarchy.s", "14.5", true, false, described, {}},
      {"inc.wag", in + "/loco.s", "0", true, false, described + no_include, {}},
      // A file that cannot be read stays in the field as chosen; the buttons stay as they were.
      {"Gone.ENG", folder.File("Gone.ENG"), "0", true, true, "", {in + "/Gone.ENG" + missing}},
      {"lost.wag", in + "/lost.s", "0", true, true, described, {in + "/lost.s" + missing}},
  };
  for (const auto& c : cases) {
    ControllerUnderTest browsed, opened;
    browsed.services.source_answers.push_back(folder.File(c.chosen));
    browsed.controller.OnBrowseSource();
    opened.controller.OpenSource(folder.File(c.chosen));
    EXPECT_TRUE(opened.services.source_starts.empty()) << c.chosen;
    for (ControllerUnderTest* ui : {&browsed, &opened}) {
      const std::string how = std::string(c.chosen) + (ui == &opened ? " opened" : " browsed");
      EXPECT_EQ(ui->Text(kIdSource), c.source) << how;
      EXPECT_EQ(ui->Text(kIdLength), c.length) << how;
      EXPECT_EQ(ui->Enabled(kIdOk), c.convert) << how;
      EXPECT_EQ(ui->Enabled(kIdDecompress), c.decompress) << how;
      EXPECT_EQ(ui->Log(), c.log) << how;
      EXPECT_EQ(ui->view.painted, c.log) << how;
      EXPECT_EQ(ui->services.file_errors, c.errors) << how;
      // Each box opens over a pane that shows the log so far.
      if (!c.errors.empty()) {
        EXPECT_EQ(ui->services.pane_at_file_error, c.log) << how;
      }
      // The next chooser starts in the folder of the source.
      ui->controller.OnBrowseSource();
      EXPECT_EQ(ui->services.source_starts.back(), FolderOf(c.source)) << how;
    }
  }
}

TEST_F(Dialog, OpenWith_RelativeFileIsTakenFromTheCurrentFolder) {
  WriteShape();
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  ui.controller.OpenSource("loco.s");
  std::filesystem::current_path(before);
  EXPECT_EQ(ui.Text(kIdSource), folder.File("loco.s"));
  EXPECT_TRUE(ui.services.file_errors.empty());
  // With no number in Length the file is not taken, and the message says which file waits.
  ui.Type(kIdLength, "x");
  ui.controller.OpenSource(folder.File("other.s"));
  EXPECT_EQ(ui.services.messages,
            Lines{folder.File("other.s") + " was not opened: Length holds no number. Please enter "
                                           "a number."});
  EXPECT_EQ(ui.Text(kIdSource), folder.File("loco.s"));
  Fill(WriteShape("Typed.s"), folder.path(), "1");  // a typed source is named as typed
  ui.controller.OnConvert();
  EXPECT_TRUE(ModelHas("Typed.stk", "Name Typed\n"));
}

TEST_F(Dialog, Decompress_RealToolWritesTheTwinAndMakesItTheSource) {
  folder.Write("loco.s", CompressedShapeBytes());
  ui.services.source_answers.push_back(folder.File("loco.s"));
  ui.controller.OnBrowseSource();
  ui.controller.OnDecompress();
  std::string source = ui.Text(kIdSource);
  EXPECT_EQ(source, folder.path() + "/loco_ASC.s");
  EXPECT_EQ(test::ReadFile(platform::FindPathIgnoringCase(source)).substr(0, 2), "\xFF\xFE");
  EXPECT_TRUE(ui.Enabled(kIdOk));
  EXPECT_FALSE(ui.Enabled(kIdDecompress));
  EXPECT_EQ(ui.Log(), "");
  EXPECT_EQ(ui.view.painted, "");
  EXPECT_EQ(ui.services.cursor, (std::vector<bool>{true, false}));
}

// A folder that refuses the twin (a dangling link holds its name): the text goes to the cache,
// converts into the shape's model (named in lower case), and goes with the dialog; the settings
// keep the shape.
TEST_F(Dialog, Decompress_FolderThatRefusesTheTwinLeavesTheTextInTheCache) {
  SKIP_ON_WINDOWS("a dangling link refuses the twin, and the cache is XDG_CACHE_HOME");
  test::SetEnv("XDG_CACHE_HOME", folder.File("cache").c_str());
  folder.Write("Loco.s", CompressedShapeBytes("full.txt"));
  std::filesystem::create_symlink("gone", folder.File("Loco_ASC.s"));
  std::filesystem::create_directory(folder.File("out"));
  auto dialog = std::make_unique<ControllerUnderTest>();
  dialog->services.source_answers.push_back(folder.File("Loco.s"));
  dialog->controller.OnBrowseSource();
  dialog->controller.OnDecompress();
  test::SetEnv("XDG_CACHE_HOME", nullptr);
  std::string source = dialog->Text(kIdSource);
  EXPECT_EQ(FolderOf(FolderOf(source)), folder.File("cache/shapewright"));
  EXPECT_EQ(dialog->Log(), "Decompressed text kept in " + source + "\r\n");
  dialog->Type(kIdOutputDirectory, folder.File("out"));
  dialog->controller.OnConvert();
  EXPECT_TRUE(ModelHas("out/loco.stk", "Name loco\n")) << dialog->Log();
  EXPECT_TRUE(dialog->settings.writes.empty());  // written on closing, never before
  dialog->controller.OnClose();
  EXPECT_EQ(dialog->settings.writes,
            (Lines{"Source=" + folder.path() + "/Loco.s", "Dest=" + folder.File("out"), "Eng="}));
  dialog.reset();
  EXPECT_FALSE(FileExists(FolderOf(source)));
}

// Installed, the program's folder is read-only: a first start offers the home folder for the
// output and as the chooser's start, where a writable program folder is offered itself (and
// the chooser starts above it, in the folder of the default "Source"). Saved settings win.
TEST(FirstStart, OutputFolderAndChooserStart) {
  const std::string home = "/home/tester", program = platform::ProgramFolder();
  const struct {
    bool installed;
    std::map<std::string, std::string> saved;
    std::string output, chooser_start;
  } cases[] = {
      {false, {}, program, program.substr(0, program.rfind('/'))},
      {false, {{"Source", ""}}, program, program},
      {true, {}, home, home},
      // Closed once without a source: "Source" is saved empty.
      {true, {{"Source", ""}, {"Dest", home}}, home, home},
      {true, {{"Source", "/trains/loco/loco.s"}, {"Dest", "/models"}}, "/models", "/trains/loco"},
  };
  for (const auto& c : cases) {
    MemorySettings settings;
    settings.values = c.saved;
    ControllerUnderTest ui(&settings, c.installed ? home : "");
    EXPECT_EQ(ui.Text(kIdOutputDirectory), c.output);
    EXPECT_EQ(ui.Text(kIdSource), "");
    EXPECT_EQ(ui.Text(kIdLength), "0");
    ui.controller.OnBrowseSource();
    EXPECT_EQ(ui.services.source_starts, std::vector<std::string>{c.chooser_start});
  }
}

}  // namespace
