// The settings kept from one start of the dialog to the next, in a real QSettings INI file
// under a temporary configuration folder.
#include <gtest/gtest.h>

#include <QSettings>

#include "platform/files.h"
#include "platform/qt_services.h"
#include "tests/app/app_test_support.h"
#include "tests/engine/test_support.h"

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
                       QString::fromStdString(folder.path));
  }
  std::string IniPath() const {
    return folder.path + "/Ferrowind/" + platform::ProgramBaseName().toStdString() + ".conf";
  }
  TempFolder folder;
};

TEST(QtSettingsStore, FirstStartShowsTheProgramFolder) {
  TemporarySettingsFolder settings_folder;
  platform::QtSettingsStore store(platform::ProgramBaseName());
  DialogUnderTest ui(store);
  EXPECT_EQ(ui.Text(kIdOutputDirectory), platform::ProgramFolder());
  EXPECT_EQ(ui.Text(kIdSource), "");
  EXPECT_EQ(ui.Text(kIdLength), "0");
  EXPECT_FALSE(FileExists(settings_folder.IniPath()));
}

TEST(QtSettingsStore, ClosedDialogIsRestoredAtTheNextStart) {
  TemporarySettingsFolder settings_folder;
  TempFolder work;
  WriteFileBytes(work.path + "/hierarchy.s", ShapeText(DataText("hierarchy.s.txt")));
  WriteFileBytes(work.path + "/steam.eng", ShapeText(DataText("steam.eng.txt")));
  {
    platform::QtSettingsStore store(platform::ProgramBaseName());
    DialogUnderTest ui(store);
    ui.services.source_answers.push_back(work.path + "/steam.eng");
    ui.Click(kIdBrowseSource);
    ui.SetText(kIdOutputDirectory, work.path + "/out");
    ui.Click(kIdCancel);
  }
  std::string ini = ReadFileBytes(settings_folder.IniPath());
  EXPECT_NE(ini.find("[Shapewright]\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Dest=" + work.path + "/out\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Source=" + Lower(work.path) + "/hierarchy.s\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Eng=" + Lower(work.path) + "/steam.eng\n"), std::string::npos) << ini;

  platform::QtSettingsStore store(platform::ProgramBaseName());
  DialogUnderTest next(store);
  EXPECT_EQ(next.Text(kIdOutputDirectory), work.path + "/out");
  EXPECT_EQ(next.Text(kIdSource), "");
  EXPECT_EQ(next.dialog->State().options.EngPath, "");
  // The saved source is only the chooser's start folder.
  next.Click(kIdBrowseSource);
  EXPECT_EQ(next.services.source_starts, std::vector<std::string>{Lower(work.path)});
}

}  // namespace
