// The settings kept from one start of the dialog to the next, and what a first start offers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QSettings>
#include <filesystem>

#include "platform/files.h"
#include "platform/qt_services.h"
#include "tests/app/app_test_support.h"
#include "tests/common/common.h"

namespace {

using namespace res;

// In a real INI file, QSettings' user folder moved into a temporary folder.
TEST(QtSettingsStore, ClosedDialogIsRestoredAtTheNextStart) {
  test::TempFolder settings_folder, work;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromStdString(settings_folder.path()));
  const std::string ini =
      settings_folder.File("Ferrowind/" + platform::ProgramBaseName().toStdString() + ".conf");
  work.Write("hierarchy.s", test::ShapeText(test::ReadTestData("hierarchy.s.txt")));
  work.Write("steam.eng", test::ShapeText(test::ReadTestData("steam.eng.txt")));
  {
    platform::QtSettingsStore store(platform::ProgramBaseName());
    DialogUnderTest ui(&store);
    EXPECT_EQ(ui.Text(kIdOutputDirectory), platform::ProgramFolder());
    EXPECT_FALSE(test::FileExists(ini));
    ui.services.source_answers.push_back(work.File("steam.eng"));
    ui.Click(kIdBrowseSource);
    ui.SetText(kIdOutputDirectory, work.File("out"));
    ui.Click(kIdCancel);
  }
  EXPECT_EQ(test::ReadFile(ini), "[Shapewright]\nDest=" + work.File("out") +
                                     "\nEng=" + work.File("steam.eng") +
                                     "\nSource=" + work.File("hierarchy.s") + "\n");

  platform::QtSettingsStore store(platform::ProgramBaseName());
  DialogUnderTest next(&store);
  EXPECT_EQ(next.Text(kIdOutputDirectory), work.File("out"));
  EXPECT_EQ(next.Text(kIdSource), "");
  EXPECT_EQ(next.dialog->State().options.EngPath, "");
  // The saved source is only the chooser's start folder.
  next.Click(kIdBrowseSource);
  EXPECT_EQ(next.services.source_starts, std::vector<std::string>{work.path()});
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
    DialogUnderTest ui(&settings, c.installed ? home : "");
    EXPECT_EQ(ui.Text(kIdOutputDirectory), c.output);
    EXPECT_EQ(ui.Text(kIdSource), "");
    EXPECT_EQ(ui.Text(kIdLength), "0");
    ui.Click(kIdBrowseSource);
    EXPECT_EQ(ui.services.source_starts, std::vector<std::string>{c.chooser_start});
  }
}

}  // namespace
