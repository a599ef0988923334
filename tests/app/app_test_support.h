// Shared setup of the dialog tests: stand-ins for the desktop services and the settings
// store, and the main dialog shown on the offscreen platform with them.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/convert_dlg.h"
#include "base/text.h"
#include "platform/files.h"
#include "platform/qt_dialog.h"
#include "platform/ui_services.h"
#include "tests/engine/test_support.h"
#include "tests/ffedit/shape_encoder.h"

// Answers the choosers from queues (an empty optional, or no answer left, cancels) and
// records every request.
class StandinServices : public platform::DialogServices {
 public:
  using Answers = std::deque<std::optional<std::string>>;
  bool ChooseSourceFile(QWidget*, const std::string& start, std::string& chosen) override {
    source_starts.push_back(start);
    return Answer(source_answers, chosen);
  }
  bool ChooseFolder(QWidget*, const std::string& start, std::string& chosen) override {
    folder_starts.push_back(start);
    return Answer(folder_answers, chosen);
  }
  void ShowFileError(QWidget* owner, const std::string& file, const std::string& reason) override {
    file_errors.push_back(file + ": " + reason);
    auto* pane = platform::FindControlAs<QPlainTextEdit>(*owner, res::kIdLog);
    pane_at_file_error = pane == nullptr ? "<no pane>" : pane->toPlainText().toStdString();
  }
  void ShowMessage(QWidget*, const std::string& text) override { messages.push_back(text); }
  void Beep() override { ++beeps; }
  void SetWaitCursor(bool waiting) override { cursor.push_back(waiting); }
  bool CanWriteFolder(const std::string& folder) override {
    return read_only_folders.count(folder) == 0;
  }
  std::string HomeFolder() override { return home; }

  Answers source_answers, folder_answers;
  std::vector<std::string> source_starts, folder_starts;
  std::vector<std::string> file_errors;  // "file: reason"
  std::string pane_at_file_error;        // the owner's log pane when the last box opened
  std::vector<std::string> messages;
  int beeps = 0;
  std::vector<bool> cursor;                 // each SetWaitCursor call
  std::set<std::string> read_only_folders;  // every other folder is writable
  std::string home = "/home/tester";

 private:
  static bool Answer(Answers& answers, std::string& chosen) {
    if (answers.empty()) return false;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    if (answer) chosen = *answer;
    return answer.has_value();
  }
};

// The settings in memory, with every write recorded as "key=value".
class MemorySettings : public platform::SettingsStore {
 public:
  std::string ReadString(const std::string& key, const std::string& fallback) override {
    auto found = values.find(key);
    return found == values.end() ? fallback : found->second;
  }
  void WriteString(const std::string& key, const std::string& value) override {
    values[key] = value;
    writes.push_back(key + "=" + value);
  }
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;
};

// The dialog with stand-ins (and store, else its own settings), shown offscreen so that it
// paints as on a desktop. With installed_home the program's folder is read-only, as when it
// is installed for the whole system, and the home folder is installed_home.
struct DialogUnderTest {
  explicit DialogUnderTest(platform::SettingsStore* store = nullptr,
                           const std::string& installed_home = "") {
    if (!installed_home.empty()) {
      services.read_only_folders.insert(platform::ProgramFolder());
      services.home = installed_home;
    }
    dialog = std::make_unique<CConvertDlg>(services, store != nullptr ? *store : settings);
    dialog->show();
  }
  StandinServices services;
  MemorySettings settings;
  std::unique_ptr<CConvertDlg> dialog;

  template <class Widget>
  Widget* Control(int id) const {
    Widget* widget = platform::FindControlAs<Widget>(*dialog, id);
    EXPECT_NE(widget, nullptr) << id;
    return widget;
  }
  void Click(int id) { QTest::mouseClick(Control<QAbstractButton>(id), Qt::LeftButton); }
  void SetText(int id, const std::string& text) {
    Control<QLineEdit>(id)->setText(QString::fromStdString(text));
  }
  std::string Text(int id) const { return Control<QLineEdit>(id)->text().toStdString(); }
  bool Enabled(int id) const { return Control<QWidget>(id)->isEnabled(); }
  // The log pane's text, "\n" between lines.
  std::string Pane() const {
    return Control<QPlainTextEdit>(res::kIdLog)->toPlainText().toStdString();
  }
};

// A shape in the compressed storage form, whose text form is the tool's minimal test shape.
inline std::string CompressedShapeBytes(const char* blocks = "minimal.txt") {
  ffedit_test::Bytes file = ffedit_test::WrapCompressedShape(
      ffedit_test::EncodeShapeBlocks(ffedit_test::ReadTestData(blocks)));
  return std::string(file.begin(), file.end());
}
