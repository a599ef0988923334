// The settings kept from one start of the dialog to the next, in a real QSettings INI file
// under a temporary configuration folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QSettings>
#include <filesystem>
#include <map>

#include "platform/files.h"
#include "platform/qt_services.h"
#include "tests/app/app_test_support.h"
#include "tests/common/common.h"

namespace {

using namespace res;

// The path as the chooser leaves it: lower case.
std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// QSettings' user folder moved into a temporary folder for one test.
struct TemporarySettingsFolder {
  TemporarySettingsFolder() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(folder.path()));
  }
  std::string IniPath() const {
    return folder.path() + "/Ferrowind/" + platform::ProgramBaseName().toStdString() + ".conf";
  }
  test::TempFolder folder;
};

TEST(QtSettingsStore, FirstStartShowsTheProgramFolder) {
  TemporarySettingsFolder settings_folder;
  platform::QtSettingsStore store(platform::ProgramBaseName());
  DialogUnderTest ui(store);
  EXPECT_EQ(ui.Text(kIdOutputDirectory), platform::ProgramFolder());
  EXPECT_EQ(ui.Text(kIdSource), "");
  EXPECT_EQ(ui.Text(kIdLength), "0");
  EXPECT_FALSE(test::FileExists(settings_folder.IniPath()));
}

TEST(QtSettingsStore, ClosedDialogIsRestoredAtTheNextStart) {
  TemporarySettingsFolder settings_folder;
  test::TempFolder work;
  work.Write("hierarchy.s", test::ShapeText(DataText("hierarchy.s.txt")));
  work.Write("steam.eng", test::ShapeText(DataText("steam.eng.txt")));
  {
    platform::QtSettingsStore store(platform::ProgramBaseName());
    DialogUnderTest ui(store);
    ui.services.source_answers.push_back(work.path() + "/steam.eng");
    ui.Click(kIdBrowseSource);
    ui.SetText(kIdOutputDirectory, work.path() + "/out");
    ui.Click(kIdCancel);
  }
  std::string ini = test::ReadFile(settings_folder.IniPath());
  EXPECT_NE(ini.find("[Shapewright]\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Dest=" + work.path() + "/out\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Source=" + Lower(work.path()) + "/hierarchy.s\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Eng=" + Lower(work.path()) + "/steam.eng\n"), std::string::npos) << ini;

  platform::QtSettingsStore store(platform::ProgramBaseName());
  DialogUnderTest next(store);
  EXPECT_EQ(next.Text(kIdOutputDirectory), work.path() + "/out");
  EXPECT_EQ(next.Text(kIdSource), "");
  EXPECT_EQ(next.dialog->State().options.EngPath, "");
  // The saved source is only the chooser's start folder.
  next.Click(kIdBrowseSource);
  EXPECT_EQ(next.services.source_starts, std::vector<std::string>{Lower(work.path())});
}

}  // namespace

namespace {

// Installed, the program's folder is read-only: a first start offers the home folder for the
// output and as the chooser's start, where the Windows program offered its own folder. Saved
// settings still win.
TEST(FirstStart, ReadOnlyProgramFolderGivesWayToTheHomeFolder) {
  const std::string home = "/home/tester";
  struct Case {
    std::map<std::string, std::string> saved;
    std::string output_directory;
    std::string chooser_start;
  } cases[] = {
      {{}, home, home},
      // Closed once without a source: "Source" is saved empty.
      {{{"Source", ""}, {"Dest", home}}, home, home},
      {{{"Source", "/trains/loco/loco.s"}, {"Dest", "/models"}}, "/models", "/trains/loco"},
  };
  for (const Case& c : cases) {
    MemorySettings settings;
    settings.values = c.saved;
    DialogUnderTest ui(DialogUnderTest::Installed{home}, settings);
    EXPECT_EQ(ui.Text(kIdOutputDirectory), c.output_directory);
    ui.Click(kIdBrowseSource);
    EXPECT_EQ(ui.services.source_starts, std::vector<std::string>{c.chooser_start});
  }
}

TEST(FirstStart, WritableProgramFolderIsOfferedAsOnWindows) {
  MemorySettings settings;
  settings.values["Source"] = "";
  DialogUnderTest ui(settings);
  EXPECT_EQ(ui.Text(kIdOutputDirectory), platform::ProgramFolder());
  ui.Click(kIdBrowseSource);
  EXPECT_EQ(ui.services.source_starts, std::vector<std::string>{platform::ProgramFolder()});
}

TEST(CanWriteFolder, AnswersForFoldersOnly) {
  test::TempFolder folder;
  folder.Write("file", "x");
  EXPECT_TRUE(platform::CanWriteFolder(folder.path()));
  EXPECT_FALSE(platform::CanWriteFolder(folder.path() + "/missing"));
  EXPECT_FALSE(platform::CanWriteFolder(folder.path() + "/file"));
  EXPECT_FALSE(platform::CanWriteFolder(""));
}

TEST(CanWriteFolder, ReadOnlyFolderIsNotWritable) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser may write into a read-only folder";
  test::TempFolder folder;
  std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  EXPECT_FALSE(platform::CanWriteFolder(folder.path()));
  std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
}

}  // namespace
