#include "tests/app/app_test_support.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "platform/files.h"
#include "tests/common/common.h"
#include "tests/engine/test_support.h"
#include "tests/ffedit/shape_encoder.h"

bool StandinServices::ChooseSourceFile(QWidget*, const std::string& start_folder,
                                       std::string& chosen) {
  source_starts.push_back(start_folder);
  if (source_answers.empty()) return false;
  std::optional<std::string> answer = source_answers.front();
  source_answers.pop_front();
  if (!answer) return false;
  chosen = *answer;
  return true;
}

bool StandinServices::ChooseFolder(QWidget*, const std::string& start_folder, std::string& chosen) {
  folder_starts.push_back(start_folder);
  if (folder_answers.empty()) return false;
  std::optional<std::string> answer = folder_answers.front();
  folder_answers.pop_front();
  if (!answer) return false;
  chosen = *answer;
  return true;
}

void StandinServices::ShowFileError(QWidget* owner, const std::string& file,
                                    const std::string& reason) {
  file_errors.push_back(file + ": " + reason);
  auto* pane =
      owner == nullptr ? nullptr : platform::FindControlAs<QPlainTextEdit>(*owner, res::kIdLog);
  pane_at_file_error = pane == nullptr ? "<no pane>" : pane->toPlainText().toStdString();
}

void StandinServices::ShowMessage(QWidget*, const std::string& text) { messages.push_back(text); }

std::string MemorySettings::ReadString(const std::string& key, const std::string& fallback) {
  auto found = values.find(key);
  return found == values.end() ? fallback : found->second;
}

void MemorySettings::WriteString(const std::string& key, const std::string& value) {
  values[key] = value;
  writes.push_back(key + "=" + value);
}

DialogUnderTest::DialogUnderTest() : dialog(std::make_unique<CConvertDlg>(services, settings)) {
  dialog->show();
}

DialogUnderTest::DialogUnderTest(platform::SettingsStore& store)
    : dialog(std::make_unique<CConvertDlg>(services, store)) {
  dialog->show();
}

DialogUnderTest::DialogUnderTest(const Installed& installed, platform::SettingsStore& store) {
  services.read_only_folders.insert(platform::ProgramFolder());
  services.home = installed.home;
  dialog = std::make_unique<CConvertDlg>(services, store);
  dialog->show();
}

void DialogUnderTest::Click(int id) {
  auto* button = Control<QAbstractButton>(id);
  ASSERT_NE(button, nullptr) << id;
  QTest::mouseClick(button, Qt::LeftButton);
}

void DialogUnderTest::SetText(int id, const std::string& text) {
  auto* edit = Control<QLineEdit>(id);
  ASSERT_NE(edit, nullptr) << id;
  edit->setText(QString::fromStdString(text));
}

std::string DialogUnderTest::Text(int id) const {
  auto* edit = Control<QLineEdit>(id);
  return edit == nullptr ? std::string("<no edit>") : edit->text().toStdString();
}

bool DialogUnderTest::Enabled(int id) const {
  QWidget* control = platform::FindControl(*dialog, id);
  return control != nullptr && control->isEnabled();
}

std::string PaneText(const CConvertDlg& dialog) {
  auto* pane = platform::FindControlAs<QPlainTextEdit>(dialog, res::kIdLog);
  std::string text = pane == nullptr ? std::string() : pane->toPlainText().toStdString();
  std::string with_returns;
  for (char c : text) {
    if (c == '\n') with_returns += '\r';
    with_returns += c;
  }
  return with_returns;
}

std::string LastLogLine(const CConvertDlg& dialog) {
  const std::string& log = dialog.State().LogText;
  if (log.size() < 2) return "";
  size_t start = log.rfind("\r\n", log.size() - 3);
  start = start == std::string::npos ? 0 : start + 2;
  return log.substr(start, log.size() - 2 - start);
}

std::string CompressedShapeBytes() {
  std::vector<uint8_t> blocks;
  std::string problem;
  bool encoded =
      ffedit_test::EncodeShapeBlocks(ffedit_test::ReadTestData("minimal.txt"), blocks, problem);
  EXPECT_TRUE(encoded) << problem;
  std::vector<uint8_t> file = ffedit_test::WrapCompressedShape(blocks);
  return std::string(file.begin(), file.end());
}

std::string OnePrimitiveShape() {
  ShapeParts parts;
  parts.matrices = "matrices ( 1\nmatrix MAIN ( 1 0 0 0 1 0 0 0 1 0.5 1.25 -2 )\n)\n";
  parts.sub_objects = "sub_objects ( 1\n" +
                      SubObject(Vertices({{0, 0, 0}}), "primitives ( 2\nprim_state_idx ( 0 )\n" +
                                                           Trilist("3 0 0 0") + ")\n") +
                      ")\n";
  return ShapeText(BuildShape(parts));
}

std::string DataText(const std::string& name) {
  return test::ReadFile(std::string(SW_TEST_DATA) + "/" + name);
}
