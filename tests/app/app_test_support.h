// Shared setup of the dialog tests: stand-ins for the desktop services and the settings
// store, and the main dialog shown on the offscreen platform with them.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/convert_dlg.h"
#include "platform/qt_dialog.h"
#include "platform/ui_services.h"

// Answers the choosers from queues and records every request.
class StandinServices : public platform::DialogServices {
 public:
  bool ChooseSourceFile(QWidget* owner, const std::string& start_folder,
                        std::string& chosen) override;
  bool ChooseFolder(QWidget* owner, const std::string& start_folder, std::string& chosen) override;
  void ShowFileError(QWidget* owner, const std::string& file, const std::string& reason) override;
  void ShowMessage(QWidget* owner, const std::string& text) override;
  void Beep() override { ++beeps; }
  void SetWaitCursor(bool waiting) override { cursor.push_back(waiting); }
  bool CanWriteFolder(const std::string& folder) override {
    return read_only_folders.count(folder) == 0;
  }
  std::string HomeFolder() override { return home; }

  // Answers, in order; an empty optional cancels. No answer left: cancelled.
  std::deque<std::optional<std::string>> source_answers;
  std::deque<std::optional<std::string>> folder_answers;

  std::vector<std::string> source_starts;
  std::vector<std::string> folder_starts;
  std::vector<std::string> file_errors;  // "file: reason"
  std::string pane_at_file_error;        // the owner's log pane when the last box opened
  std::vector<std::string> messages;
  int beeps = 0;
  std::vector<bool> cursor;                 // each SetWaitCursor call
  std::set<std::string> read_only_folders;  // every other folder is writable
  std::string home = "/home/tester";
};

// The settings in memory, with every write recorded as "key=value".
class MemorySettings : public platform::SettingsStore {
 public:
  std::string ReadString(const std::string& key, const std::string& fallback) override;
  void WriteString(const std::string& key, const std::string& value) override;
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;
};

// The dialog with stand-ins, shown (offscreen) so that it paints as on a desktop.
struct DialogUnderTest {
  DialogUnderTest();
  explicit DialogUnderTest(platform::SettingsStore& store);
  // Installed for the whole system: the program's folder is read-only, the home folder home.
  struct Installed {
    std::string home;
  };
  DialogUnderTest(const Installed& installed, platform::SettingsStore& store);
  StandinServices services;
  MemorySettings settings;
  std::unique_ptr<CConvertDlg> dialog;

  template <class Widget>
  Widget* Control(int id) const;
  void Click(int id);
  void SetText(int id, const std::string& text);
  std::string Text(int id) const;
  bool Enabled(int id) const;
};

template <class Widget>
Widget* DialogUnderTest::Control(int id) const {
  return platform::FindControlAs<Widget>(*dialog, id);
}

// The pane's text with its line breaks as the log keeps them ("\r\n").
std::string PaneText(const CConvertDlg& dialog);
// The last line of the log (without its "\r\n"); "" when empty.
std::string LastLogLine(const CConvertDlg& dialog);
// A shape in the compressed storage form, whose text form is the tool's minimal test shape.
std::string CompressedShapeBytes();
// A complete text shape of one primitive on the root matrix, moved by (0.5, 1.25, -2).
std::string OnePrimitiveShape();
// The test data file name of tests/data, read whole.
std::string DataText(const std::string& name);
