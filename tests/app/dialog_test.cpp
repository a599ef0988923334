// The main dialog driven through its controls, found by object name, with stand-in choosers,
// message boxes and settings.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "base/paths.h"
#include "platform/files.h"
#include "tests/app/app_test_support.h"
#include "tests/engine/test_support.h"

namespace {

using namespace res;
using Lines = std::vector<std::string>;

std::string Parent(const std::string& path) { return path.substr(0, path.rfind('/')); }

class Dialog : public ::testing::Test {
 protected:
  // A shape that converts, written into the folder; returns its path.
  std::string WriteShape(const std::string& name = "loco.s") {
    return folder.Write(name, ShapeText(EmptyShape()));
  }
  // Source, output folder and length filled in, as a user does before Convert.
  void Fill(const std::string& source, const std::string& output, const std::string& length) {
    ui.SetText(kIdSource, source);
    ui.SetText(kIdOutputDirectory, output);
    ui.SetText(kIdLength, length);
  }
  bool ModelHas(const std::string& name, const std::string& part) const {
    return WithoutCarriageReturns(test::ReadFile(folder.File(name))).find(part) !=
           std::string::npos;
  }
  const std::string& Log() const { return ui.dialog->State().LogText; }

  TempFolder folder;
  DialogUnderTest ui;
};

TEST_F(Dialog, Convert_TakesTheFieldsAndTheTwoFootOption) {
  std::filesystem::create_directory(folder.File("out"));
  Fill(WriteShape(), folder.File("out"), "12,5");  // no number: asks for one, runs nothing
  ui.Click(kIdOk);
  EXPECT_EQ(ui.services.messages, Lines{"Please enter a number."});
  EXPECT_EQ(ui.dialog->focusWidget(), ui.Control<QLineEdit>(kIdLength));
  EXPECT_EQ(Log(), "");
  ui.SetText(kIdLength, "20");
  // A second click leaves the option marked, as on a radio button.
  ui.Click(kIdTwoFoot);
  ui.Click(kIdTwoFoot);
  EXPECT_TRUE(ui.Control<QRadioButton>(kIdTwoFoot)->isChecked());
  ui.Click(kIdOk);
  EXPECT_TRUE(ModelHas("out/loco.stk", "Length 10000\n"));
  EXPECT_EQ(Log().substr(Log().size() - 26), "\r\n***** FINISHED *****\r\n\r\n");
  EXPECT_EQ(ui.services.cursor, (std::vector<bool>{true, false}));
  EXPECT_TRUE(ui.services.file_errors.empty());
  // Enter in Length converts too.
  auto* length = ui.Control<QLineEdit>(kIdLength);
  length->setFocus();
  length->clear();
  QTest::keyClicks(length, "12.5");
  QTest::keyClick(length, Qt::Key_Return);
  EXPECT_TRUE(ModelHas("out/loco.stk", "Length 6250\n"));
}

// Text typed into the pane stays; each run adds its lines and the pane shows the end.
TEST_F(Dialog, Convert_LogGrowsRunByRunAndThePaneShowsItsEnd) {
  Fill(WriteShape(), folder.path(), "10");
  auto* pane = ui.Control<QPlainTextEdit>(kIdLog);
  pane->setFocus();
  QTest::keyClicks(pane, "note");
  QTest::keyClick(pane, Qt::Key_Return);
  ui.Click(kIdOk);
  ASSERT_EQ(Log().substr(0, 20), "note\r\nReading file\r\n");
  const std::string one_run = Log().substr(6);
  const int lines = ui.dialog->State().LogLineCount;
  for (int run = 1; run < 4; ++run) ui.Click(kIdOk);
  EXPECT_EQ(Log(), "note\r\n" + one_run + one_run + one_run + one_run);
  EXPECT_EQ(ui.dialog->State().LogLineCount, 4 * lines);
  EXPECT_EQ(ui.Pane(), WithoutCarriageReturns(Log()));
  QScrollBar* scroll = pane->verticalScrollBar();
  EXPECT_GT(scroll->maximum(), 0);
  EXPECT_EQ(scroll->value(), scroll->maximum());
  // A cancelled source chooser empties the log, and nothing else.
  ui.services.source_answers.push_back(std::nullopt);
  ui.Click(kIdBrowseSource);
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(ui.dialog->State().LogLineCount, 0);
  EXPECT_EQ(ui.Text(kIdSource), folder.File("loco.s"));
}

TEST_F(Dialog, Convert_MissingSourceShowsTheFileErrorOverAPaneShowingTheLog) {
  Fill(folder.File("gone.s"), folder.path(), "0");
  ui.Click(kIdOk);
  EXPECT_EQ(ui.services.file_errors, Lines{folder.File("gone.s: No such file or directory")});
  EXPECT_EQ(Log(), "Reading file\r\n");
  EXPECT_TRUE(ui.Enabled(kIdOk));
  EXPECT_EQ(ui.services.cursor, (std::vector<bool>{true, false}));
  // The second run's line comes within the pane's paint interval, yet the box opens over a
  // pane that shows it.
  ui.Click(kIdOk);
  EXPECT_EQ(ui.services.file_errors.size(), 2u);
  EXPECT_EQ(ui.services.pane_at_file_error, "Reading file\nReading file\n");
}

TEST_F(Dialog, Convert_MalformedEntriesBeep) {
  Fill(folder.Write("malformed.s", ShapeText(test::ReadTestData("malformed.s.txt"))), folder.path(),
       "10");
  ui.Click(kIdOk);
  EXPECT_EQ(ui.services.beeps, 10);
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
    DialogUnderTest browsed, opened;
    browsed.services.source_answers.push_back(folder.File(c.chosen));
    browsed.Click(kIdBrowseSource);
    opened.dialog->OpenSource(folder.File(c.chosen));
    EXPECT_TRUE(opened.services.source_starts.empty()) << c.chosen;
    for (DialogUnderTest* ui : {&browsed, &opened}) {
      const std::string how = std::string(c.chosen) + (ui == &opened ? " opened" : " browsed");
      EXPECT_EQ(ui->Text(kIdSource), c.source) << how;
      EXPECT_EQ(ui->Text(kIdLength), c.length) << how;
      EXPECT_EQ(ui->Enabled(kIdOk), c.convert) << how;
      EXPECT_EQ(ui->Enabled(kIdDecompress), c.decompress) << how;
      EXPECT_EQ(ui->dialog->State().LogText, c.log) << how;
      EXPECT_EQ(ui->Pane(), WithoutCarriageReturns(c.log)) << how;
      EXPECT_EQ(ui->services.file_errors, c.errors) << how;
      // Each box opens over a pane that shows the log so far.
      if (!c.errors.empty()) {
        EXPECT_EQ(ui->services.pane_at_file_error, WithoutCarriageReturns(c.log)) << how;
      }
      // The next chooser starts in the folder of the source.
      ui->Click(kIdBrowseSource);
      EXPECT_EQ(ui->services.source_starts.back(), Parent(c.source)) << how;
    }
  }
}

TEST_F(Dialog, OpenWith_RelativeFileIsTakenFromTheCurrentFolder) {
  WriteShape();
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  ui.dialog->OpenSource("loco.s");
  std::filesystem::current_path(before);
  EXPECT_EQ(ui.Text(kIdSource), folder.File("loco.s"));
  EXPECT_TRUE(ui.services.file_errors.empty());
  // With no number in Length the file is not taken, and the message says which file waits.
  ui.SetText(kIdLength, "x");
  ui.dialog->OpenSource(folder.File("other.s"));
  EXPECT_EQ(ui.services.messages,
            Lines{folder.File("other.s") + " was not opened: Length holds no number. Please enter "
                                           "a number."});
  EXPECT_EQ(ui.Text(kIdSource), folder.File("loco.s"));
  Fill(WriteShape("Typed.s"), folder.path(), "1");  // a typed source is named as typed
  ui.Click(kIdOk);
  EXPECT_TRUE(ModelHas("Typed.stk", "Name Typed\n"));
}

TEST_F(Dialog, Decompress_RealToolWritesTheTwinAndMakesItTheSource) {
  folder.Write("loco.s", CompressedShapeBytes());
  ui.services.source_answers.push_back(folder.File("loco.s"));
  ui.Click(kIdBrowseSource);
  ui.Click(kIdDecompress);
  std::string source = ui.Text(kIdSource);
  EXPECT_EQ(source, folder.path() + "/loco_ASC.s");
  EXPECT_EQ(test::ReadFile(platform::FindPathIgnoringCase(source)).substr(0, 2), "\xFF\xFE");
  EXPECT_TRUE(ui.Enabled(kIdOk));
  EXPECT_FALSE(ui.Enabled(kIdDecompress));
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(ui.Pane(), "");
  EXPECT_EQ(ui.services.cursor, (std::vector<bool>{true, false}));
}

// A folder that refuses the twin (a dangling link holds its name): the text goes to the cache,
// converts into the shape's model (named in lower case), and goes with the dialog; the settings
// keep the shape.
TEST_F(Dialog, Decompress_FolderThatRefusesTheTwinLeavesTheTextInTheCache) {
  setenv("XDG_CACHE_HOME", folder.File("cache").c_str(), 1);
  folder.Write("Loco.s", CompressedShapeBytes("full.txt"));
  std::filesystem::create_symlink("gone", folder.File("Loco_ASC.s"));
  std::filesystem::create_directory(folder.File("out"));
  ui.services.source_answers.push_back(folder.File("Loco.s"));
  ui.Click(kIdBrowseSource);
  ui.Click(kIdDecompress);
  unsetenv("XDG_CACHE_HOME");
  std::string source = ui.Text(kIdSource);
  EXPECT_EQ(FolderOf(FolderOf(source)), folder.File("cache/shapewright"));
  EXPECT_EQ(Log(), "Decompressed text kept in " + source + "\r\n");
  ui.SetText(kIdOutputDirectory, folder.File("out"));
  ui.Click(kIdOk);
  EXPECT_TRUE(ModelHas("out/loco.stk", "Name loco\n")) << Log();
  ui.Click(kIdCancel);
  EXPECT_EQ(ui.settings.writes.front(), "Source=" + folder.path() + "/Loco.s");
  ui.dialog.reset();
  EXPECT_FALSE(FileExists(FolderOf(source)));
}

// The settings are written from the fields when the dialog closes, and never before.
TEST(DialogSettings, WrittenOncePerClosePath) {
  const struct {
    const char* how;
    std::function<void(DialogUnderTest&)> close;
    int times;
  } cases[] = {
      {"Close", [](auto& ui) { ui.Click(kIdCancel); }, 1},
      {"Escape", [](auto& ui) { QTest::keyClick(ui.dialog.get(), Qt::Key_Escape); }, 1},
      // The close box saves, then takes the Close path.
      {"close box", [](auto& ui) { ui.dialog->close(); }, 2},
  };
  for (const auto& c : cases) {
    DialogUnderTest ui;
    ui.Click(kIdOk);
    ui.Click(kIdBrowseOutput);
    EXPECT_TRUE(ui.settings.writes.empty()) << c.how;
    ui.SetText(kIdSource, "/trains/loco.s");
    ui.SetText(kIdOutputDirectory, "/out");
    c.close(ui);
    Lines once{"Source=/trains/loco.s", "Dest=/out", "Eng="}, want;
    for (int i = 0; i < c.times; ++i) want.insert(want.end(), once.begin(), once.end());
    EXPECT_EQ(ui.settings.writes, want) << c.how;
    EXPECT_FALSE(ui.dialog->isVisible()) << c.how;
  }
}

TEST_F(Dialog, AboutBox_FromTheContextMenu) {
  Lines entries;
  QTimer::singleShot(0, [&] {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      for (QAction* action : popup->actions()) entries.push_back(action->text().toStdString());
      popup->close();
    }
  });
  // The right button beside the log pane, on the dialog itself.
  QPoint at(ui.dialog->width() - 10, ui.dialog->height() / 2);
  QContextMenuEvent click(QContextMenuEvent::Mouse, at, ui.dialog->mapToGlobal(at));
  QApplication::sendEvent(ui.dialog.get(), &click);
  EXPECT_EQ(entries, (Lines{"Preview\u2026", "&About Shapewright..."}));

  std::string caption;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr) return;
    caption = box->windowTitle().toStdString();
    if (auto* ok = platform::FindControlAs<QPushButton>(*box, kIdOk))
      QTest::mouseClick(ok, Qt::LeftButton);
  });
  ui.dialog->findChild<QAction*>("action_about")->trigger();
  EXPECT_EQ(caption, "About Shapewright");
}

}  // namespace
