// The main dialog driven through its controls, found by object name, with stand-in choosers,
// message boxes and settings.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "platform/files.h"
#include "tests/app/app_test_support.h"
#include "tests/common/common.h"

namespace {

using namespace res;

std::string Parent(const std::string& path) { return path.substr(0, path.rfind('/')); }

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The dialog with stand-ins, and a folder for the files of one test.
class Dialog : public ::testing::Test {
 protected:
  // Source, output folder and length filled in, as a user does before Convert.
  void FillFields(const std::string& source, const std::string& output, const std::string& length) {
    ui.SetText(kIdSource, source);
    ui.SetText(kIdOutputDirectory, output);
    ui.SetText(kIdLength, length);
  }
  // The model file name in the folder, with "\n" line ends.
  std::string Model(const std::string& name) const {
    return test::WithoutCarriageReturns(test::ReadFile(folder.File(name)));
  }
  const std::string& Log() const { return ui.dialog->State().LogText; }

  test::TempFolder folder;
  DialogUnderTest ui;
};

TEST_F(Dialog, ConvertCommand_ConvertsFromTheFieldsWithLengthAndTwoFootOption) {
  folder.Write("loco.s", OnePrimitiveShape());
  std::filesystem::create_directory(folder.File("out"));
  FillFields(folder.File("loco.s"), folder.File("out"), "20");
  ui.Click(kIdTwoFoot);
  ui.Click(kIdOk);

  std::string model = Model("out/loco.stk");
  EXPECT_TRUE(Contains(model, "Length 10000\n")) << model;
  EXPECT_TRUE(Contains(model, "\tINCLUDE 250/4000/625\t loco.0.0\t## main\n")) << model;
  const std::string& log = Log();
  EXPECT_EQ(log.substr(0, 14), "Reading file\r\n");
  EXPECT_EQ(log.substr(log.size() - 26), "\r\n***** FINISHED *****\r\n\r\n");
  EXPECT_EQ(PaneText(*ui.dialog), log);
  EXPECT_EQ(ui.services.cursor, (std::vector<bool>{true, false}));
  EXPECT_TRUE(ui.services.file_errors.empty());
}

TEST_F(Dialog, ConvertCommand_LogPaneShowsItsEndAndCountsTheLines) {
  folder.Write("loco.s", OnePrimitiveShape());
  FillFields(folder.File("loco.s"), folder.path(), "10");
  for (int run = 0; run < 4; ++run) ui.Click(kIdOk);
  auto* pane = ui.Control<QPlainTextEdit>(kIdLog);
  QScrollBar* scroll = pane->verticalScrollBar();
  EXPECT_GT(scroll->maximum(), 0);
  EXPECT_EQ(scroll->value(), scroll->maximum());
  // Four runs, nothing emptied: four closing lines, every line counted once.
  std::string log = Log();
  size_t finished = 0;
  for (size_t at = log.find("FINISHED"); at != std::string::npos; at = log.find("FINISHED", at + 1))
    ++finished;
  EXPECT_EQ(finished, 4u);
  EXPECT_EQ(ui.dialog->State().LogLineCount % 4, 0);
  EXPECT_EQ(PaneText(*ui.dialog), log);
}

TEST_F(Dialog, ConvertCommand_EnterInLengthConverts) {
  folder.Write("loco.s", OnePrimitiveShape());
  FillFields(folder.File("loco.s"), folder.path(), "");
  auto* length = ui.Control<QLineEdit>(kIdLength);
  length->setFocus();
  QTest::keyClicks(length, "12.5");
  QTest::keyClick(length, Qt::Key_Return);
  EXPECT_TRUE(Contains(Model("loco.stk"), "Length 12500\n"));
  EXPECT_EQ(ui.Text(kIdLength), "12.5");
}

TEST_F(Dialog, ConvertCommand_NonNumericLengthAsksForANumberAndDoesNotRun) {
  folder.Write("loco.s", OnePrimitiveShape());
  FillFields(folder.File("loco.s"), folder.path(), "12,5");
  ui.Click(kIdOk);
  EXPECT_EQ(ui.services.messages, std::vector<std::string>{"Please enter a number."});
  EXPECT_EQ(ui.dialog->focusWidget(), ui.Control<QLineEdit>(kIdLength));
  EXPECT_FALSE(test::FileExists(folder.File("loco.stk")));
  EXPECT_EQ(Log(), "");
  // Browse does not run either: no chooser.
  ui.Click(kIdBrowseSource);
  EXPECT_TRUE(ui.services.source_starts.empty());
  EXPECT_EQ(ui.services.messages.size(), 2u);
}

TEST_F(Dialog, ConvertCommand_MissingSourceShowsTheFileErrorAndWritesNoModel) {
  FillFields(folder.File("gone.s"), folder.path(), "0");
  ui.Click(kIdOk);
  EXPECT_EQ(ui.services.file_errors,
            std::vector<std::string>{folder.File("gone.s: No such file or directory")});
  EXPECT_EQ(LastLogLine(*ui.dialog), "Reading file");
  EXPECT_FALSE(test::FileExists(folder.File("gone.stk")));
  EXPECT_TRUE(ui.Enabled(kIdOk));
  EXPECT_EQ(ui.services.cursor, (std::vector<bool>{true, false}));
  // The dialog stays usable; the box of the second run opens over a pane that already shows
  // its line, though the line came within the pane's paint interval.
  ui.Click(kIdOk);
  EXPECT_EQ(ui.services.file_errors.size(), 2u);
  EXPECT_EQ(ui.services.pane_at_file_error, "Reading file\nReading file\n");
}

TEST_F(Dialog, ConvertCommand_MalformedEntriesBeep) {
  folder.Write("malformed.s", test::ShapeText(DataText("malformed.s.txt")));
  FillFields(folder.File("malformed.s"), folder.path(), "10");
  ui.Click(kIdOk);
  EXPECT_EQ(ui.services.beeps, 10);  // the model file itself is the engine's golden file
  EXPECT_TRUE(test::FileExists(folder.File("malformed.stk")));
}

TEST_F(Dialog, ConvertCommand_TextTypedIntoTheLogIsKept) {
  folder.Write("loco.s", OnePrimitiveShape());
  FillFields(folder.File("loco.s"), folder.path(), "10");
  auto* pane = ui.Control<QPlainTextEdit>(kIdLog);
  pane->setFocus();
  QTest::keyClicks(pane, "note");
  QTest::keyClick(pane, Qt::Key_Return);
  ui.Click(kIdOk);
  EXPECT_EQ(Log().substr(0, 20), "note\r\nReading file\r\n");
  EXPECT_EQ(PaneText(*ui.dialog), Log());
}

TEST_F(Dialog, BrowseSource_TextShapeEnablesConvertAndStartsAboveTheProgramFolder) {
  folder.Write("Loco.S", OnePrimitiveShape());
  ui.services.source_answers.push_back(folder.File("Loco.S"));
  ui.Click(kIdBrowseSource);
  // First start: the default "Source" is the program's folder, so its folder is the parent.
  EXPECT_EQ(ui.services.source_starts, std::vector<std::string>{Parent(platform::ProgramFolder())});
  std::string lower = folder.File("loco.s");
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(ui.Text(kIdSource), lower);
  EXPECT_TRUE(ui.Enabled(kIdOk));
  EXPECT_FALSE(ui.Enabled(kIdDecompress));
  EXPECT_EQ(Log(), "");
  // The next chooser starts in the folder of the source.
  ui.Click(kIdBrowseSource);
  EXPECT_EQ(ui.services.source_starts.back(), Parent(lower));
}

TEST_F(Dialog, BrowseSource_CompressedShapeEnablesDecompress) {
  folder.Write("loco.s", CompressedShapeBytes());
  ui.services.source_answers.push_back(folder.File("loco.s"));
  ui.Click(kIdBrowseSource);
  EXPECT_TRUE(ui.Enabled(kIdDecompress));
  EXPECT_FALSE(ui.Enabled(kIdOk));
  EXPECT_EQ(Log(), "Checking for decompressed file\r\n");
  EXPECT_EQ(PaneText(*ui.dialog), "Checking for decompressed file\r\n");
}

TEST_F(Dialog, BrowseSource_CompressedShapeWithItsTwinSwitchesToTheTwin) {
  folder.Write("loco.s", CompressedShapeBytes());
  folder.Write("loco_ASC.s", OnePrimitiveShape());
  ui.services.source_answers.push_back(folder.File("loco.s"));
  ui.Click(kIdBrowseSource);
  EXPECT_EQ(ui.Text(kIdSource), ui.dialog->State().options.SourcePath);
  EXPECT_EQ(ui.Text(kIdSource).substr(ui.Text(kIdSource).size() - 11), "/loco_ASC.s");
  EXPECT_TRUE(ui.Enabled(kIdOk));
  EXPECT_FALSE(ui.Enabled(kIdDecompress));
}

TEST_F(Dialog, BrowseSource_EngFileFillsSourceAndLengthAndCarriesTheVehicle) {
  folder.Write("hierarchy.s", test::ShapeText(DataText("hierarchy.s.txt")));
  folder.Write("Steam.ENG", test::ShapeText(DataText("steam.eng.txt")));
  ui.SetText(kIdOutputDirectory, folder.path());
  ui.services.source_answers.push_back(folder.File("Steam.ENG"));
  ui.Click(kIdBrowseSource);
  std::string source = ui.Text(kIdSource);
  EXPECT_EQ(source.substr(source.size() - 12), "/hierarchy.s");
  EXPECT_EQ(ui.Text(kIdLength), "14.5");
  EXPECT_EQ(Log(), "Reading description file\r\n");
  EXPECT_TRUE(ui.Enabled(kIdOk));
  ui.Click(kIdOk);
  EXPECT_TRUE(Contains(Model("hierarchy.stk"), "\n\t<STEAM>\n")) << Model("hierarchy.stk");
}

TEST_F(Dialog, BrowseSource_AnIncludeThatCannotBeReadIsOneLogLine) {
  folder.Write("loco.s", OnePrimitiveShape());
  folder.Write("loco.wag", test::ShapeText("x\ninclude ( \"Gone.inc\" )\nWagonShape ( loco.s )\n"));
  ui.services.source_answers.push_back(folder.File("loco.wag"));
  ui.Click(kIdBrowseSource);
  EXPECT_EQ(Log(), "Reading description file\r\nCannot read include file Gone.inc\r\n");
  EXPECT_TRUE(ui.services.file_errors.empty());
  EXPECT_TRUE(ui.Enabled(kIdOk));
}

TEST_F(Dialog, BrowseSource_UnreadableFilesShowTheirErrorAndKeepTheButtons) {
  folder.Write("lost.wag", test::ShapeText("x\nWagonShape ( lost.s )\n"));
  ui.services.source_answers.push_back(folder.File("Gone.ENG"));
  ui.Click(kIdBrowseSource);
  // The file that cannot be read stays in the field as chosen.
  EXPECT_EQ(ui.Text(kIdSource), folder.File("Gone.ENG"));
  ui.services.source_answers.push_back(folder.File("lost.wag"));
  ui.Click(kIdBrowseSource);
  std::string lower = folder.path();
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(ui.Text(kIdSource), lower + "/lost.s");
  EXPECT_EQ(ui.services.file_errors,
            (std::vector<std::string>{lower + "/gone.eng: No such file or directory",
                                      lower + "/lost.s: No such file or directory"}));
  EXPECT_EQ(ui.services.pane_at_file_error, "Reading description file\n");
  EXPECT_TRUE(ui.Enabled(kIdOk));
  EXPECT_TRUE(ui.Enabled(kIdDecompress));
}

TEST_F(Dialog, BrowseSource_CancelledChooserEmptiesTheLogOnly) {
  folder.Write("loco.s", OnePrimitiveShape());
  FillFields(folder.File("loco.s"), folder.path(), "3");
  ui.Click(kIdOk);
  ASSERT_NE(Log(), "");
  ui.services.source_answers.push_back(std::nullopt);
  ui.Click(kIdBrowseSource);
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(ui.dialog->State().LogLineCount, 0);
  EXPECT_EQ(ui.Text(kIdSource), folder.File("loco.s"));
  // The emptied pane shows at the next refresh of the controls.
  ui.services.folder_answers.push_back(std::nullopt);
  ui.Click(kIdBrowseOutput);
  EXPECT_EQ(PaneText(*ui.dialog), "");
}

// "Open with": the file given to the program goes through Browse as the chooser's answer, so
// the dialog ends exactly as after choosing it, without showing the chooser.
TEST_F(Dialog, OpenWith_EndsAsBrowseWouldForEachKindOfSource) {
  folder.Write("hierarchy.s", test::ShapeText(DataText("hierarchy.s.txt")));
  folder.Write("Steam.ENG", test::ShapeText(DataText("steam.eng.txt")));
  folder.Write("packed.s", CompressedShapeBytes());
  for (const char* name : {"Steam.ENG", "hierarchy.s", "packed.s", "missing.wag"}) {
    const std::string file = folder.File(name);
    DialogUnderTest browsed;
    browsed.services.source_answers.push_back(file);
    browsed.Click(kIdBrowseSource);
    DialogUnderTest opened;
    opened.dialog->OpenSource(file);
    const DialogState& want = browsed.dialog->State();
    const DialogState& got = opened.dialog->State();
    EXPECT_TRUE(opened.services.source_starts.empty()) << name;
    EXPECT_EQ(got.options.SourcePath, want.options.SourcePath) << name;
    EXPECT_EQ(got.options.EngPath, want.options.EngPath) << name;
    EXPECT_EQ(got.options.Length, want.options.Length) << name;
    EXPECT_EQ(got.LogText, want.LogText) << name;
    EXPECT_EQ(opened.services.file_errors, browsed.services.file_errors) << name;
    EXPECT_EQ(opened.Enabled(kIdOk), browsed.Enabled(kIdOk)) << name;
    EXPECT_EQ(opened.Enabled(kIdDecompress), browsed.Enabled(kIdDecompress)) << name;
    EXPECT_EQ(opened.Text(kIdSource), browsed.Text(kIdSource)) << name;
    // Later the chooser asks again, from the opened file's folder.
    opened.Click(kIdBrowseSource);
    EXPECT_EQ(opened.services.source_starts.size(), 1u) << name;
  }
}

TEST_F(Dialog, OpenWith_RelativeFileIsTakenFromTheCurrentFolder) {
  folder.Write("loco.s", OnePrimitiveShape());
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  ui.dialog->OpenSource("loco.s");
  std::filesystem::current_path(before);
  std::string lower = folder.File("loco.s");
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(ui.Text(kIdSource), lower);
  EXPECT_TRUE(ui.Enabled(kIdOk));
  EXPECT_TRUE(ui.services.file_errors.empty());
}

TEST_F(Dialog, DecompressCommand_RealToolWritesTheTwinAndMakesItTheSource) {
  folder.Write("loco.s", CompressedShapeBytes());
  ui.services.source_answers.push_back(folder.File("loco.s"));
  ui.Click(kIdBrowseSource);
  ASSERT_TRUE(ui.Enabled(kIdDecompress));
  ui.Click(kIdDecompress);
  std::string source = ui.Text(kIdSource);
  EXPECT_EQ(source.substr(source.size() - 11), "/loco_ASC.s");
  std::string twin = test::ReadFile(platform::FindPathIgnoringCase(source));
  ASSERT_GE(twin.size(), 2u);
  EXPECT_EQ(twin.substr(0, 2), "\xFF\xFE");
  EXPECT_TRUE(ui.Enabled(kIdOk));
  EXPECT_FALSE(ui.Enabled(kIdDecompress));
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(PaneText(*ui.dialog), "");
  EXPECT_EQ(ui.services.cursor, (std::vector<bool>{true, false}));
}

TEST_F(Dialog, BrowseOutputDirectory_CancelledKeepsTheFolderAndReplacesTypedText) {
  std::string program_folder = platform::ProgramFolder();
  ASSERT_EQ(ui.Text(kIdOutputDirectory), program_folder);
  FillFields("typed.s", "/typed/folder", "7");
  ui.services.folder_answers.push_back(std::nullopt);
  ui.Click(kIdBrowseOutput);
  // The controls are not read first: the browser starts at the stored folder, and every field
  // shows the stored values again.
  EXPECT_EQ(ui.services.folder_starts, std::vector<std::string>{program_folder});
  EXPECT_EQ(ui.Text(kIdOutputDirectory), program_folder);
  EXPECT_EQ(ui.Text(kIdSource), "");
  EXPECT_EQ(ui.Text(kIdLength), "0");
}

TEST_F(Dialog, BrowseOutputDirectory_ChosenFolderIsShown) {
  ui.services.folder_answers.push_back(folder.path());
  ui.Click(kIdBrowseOutput);
  EXPECT_EQ(ui.Text(kIdOutputDirectory), folder.path());
  EXPECT_EQ(ui.dialog->State().options.OutputDirectory, folder.path());
  ui.services.folder_answers.push_back(std::nullopt);
  ui.Click(kIdBrowseOutput);
  EXPECT_EQ(ui.services.folder_starts.back(), folder.path());
}

TEST_F(Dialog, TwoFootOption_ClickedTwiceStaysMarked) {
  auto* radio = ui.Control<QRadioButton>(kIdTwoFoot);
  EXPECT_FALSE(radio->isChecked());
  EXPECT_FALSE(ui.dialog->State().options.TwoFootScale);
  ui.Click(kIdTwoFoot);
  ui.Click(kIdTwoFoot);
  EXPECT_TRUE(radio->isChecked());
  EXPECT_TRUE(ui.dialog->State().options.TwoFootScale);
}

TEST_F(Dialog, Settings_CloseButtonWritesThemOnceFromTheFieldsAndNothingBefore) {
  folder.Write("loco.s", OnePrimitiveShape());
  FillFields(folder.File("loco.s"), folder.path(), "1");
  ui.Click(kIdOk);
  ui.services.folder_answers.push_back(folder.path());
  ui.Click(kIdBrowseOutput);
  EXPECT_TRUE(ui.settings.writes.empty());
  ui.SetText(kIdSource, "/trains/loco.s");
  ui.SetText(kIdOutputDirectory, "/out");
  ui.Click(kIdCancel);
  EXPECT_EQ(ui.settings.writes,
            (std::vector<std::string>{"Source=/trains/loco.s", "Dest=/out", "Eng="}));
  EXPECT_FALSE(ui.dialog->isVisible());
}

TEST_F(Dialog, Settings_EscapeWritesThemOnce) {
  ui.SetText(kIdSource, "/a.s");
  QTest::keyClick(ui.Control<QLineEdit>(kIdSource), Qt::Key_Escape);
  EXPECT_EQ(ui.settings.writes.size(), 3u);
  EXPECT_EQ(ui.settings.values["Source"], "/a.s");
  EXPECT_FALSE(ui.dialog->isVisible());
}

TEST_F(Dialog, Settings_CloseBoxWritesThemTwice) {
  ui.SetText(kIdOutputDirectory, "/out");
  ui.dialog->close();
  std::vector<std::string> once{"Source=", "Dest=/out", "Eng="};
  std::vector<std::string> twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(ui.settings.writes, twice);
  EXPECT_FALSE(ui.dialog->isVisible());
}

TEST_F(Dialog, AboutBox_ContextMenuEntryOpensTheAboutBox) {
  QAction* about = ui.dialog->findChild<QAction*>("action_about");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->text().toStdString(), "&About Shapewright...");
  EXPECT_EQ(ui.dialog->contextMenuPolicy(), Qt::ActionsContextMenu);
  std::string caption, first_line;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr) return;
    caption = box->windowTitle().toStdString();
    if (auto* line = box->findChild<QLabel*>("static_1")) first_line = line->text().toStdString();
    if (auto* ok = platform::FindControlAs<QPushButton>(*box, kIdOk))
      QTest::mouseClick(ok, Qt::LeftButton);
  });
  about->trigger();
  EXPECT_EQ(caption, "About Shapewright");
  EXPECT_EQ(first_line, "Shapewright Version 1.0");
}

TEST_F(Dialog, AboutBox_RightButtonOnTheDialogOffersTheEntry) {
  std::vector<std::string> entries;
  QTimer::singleShot(0, [&] {
    QWidget* popup = QApplication::activePopupWidget();
    if (popup == nullptr) return;
    for (QAction* action : popup->actions()) entries.push_back(action->text().toStdString());
    popup->close();
  });
  // Beside the log pane, on the dialog itself.
  QPoint at(ui.dialog->width() - 10, ui.dialog->height() / 2);
  QContextMenuEvent click(QContextMenuEvent::Mouse, at, ui.dialog->mapToGlobal(at));
  QApplication::sendEvent(ui.dialog.get(), &click);
  EXPECT_EQ(entries, (std::vector<std::string>{"Preview\u2026", "&About Shapewright..."}));
}

}  // namespace
