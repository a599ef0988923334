// The main dialog on Qt Widgets: template 102 built as widgets, a thin view over
// DialogController. Its slots forward the commands; it shows the fields, buttons and log the
// controller gives it, painting new log lines at most 25 times a second.
#pragma once

#include <QDialog>
#include <QIcon>
#include <string>
#include <string_view>

#include "app/dialog_controller.h"

class QAction;
class QCloseEvent;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class CConvertDlg : public QDialog, private DialogView {
  Q_OBJECT

 public:
  // Builds the dialog and runs OnInitDialog: the settings are read here.
  CConvertDlg(platform::DialogServices& services, platform::SettingsStore& settings,
              QWidget* parent = nullptr);
  ~CConvertDlg() override;

  DialogController& Controller() { return controller_; }
  const DialogState& State() const { return controller_.State(); }

 public slots:
  // The Close button and Escape: ends the dialog as cancelled, reads the controls, saves.
  void reject() override;

 protected:
  // The close box: reads the controls and saves, then takes the Close path (so twice).
  void closeEvent(QCloseEvent* event) override;

 private:
  // DialogView
  std::string FieldText(int id) override;
  void SetFieldText(int id, const std::string& text) override;
  void EnableButton(int id, bool enabled) override;
  std::string LogPaneText() override;
  void ReplaceLogPane(const std::string& text) override;
  void AppendLogPane(std::string_view text) override;
  void PaintLogPane() override;
  void FocusField(int id) override;
  void EnablePreview(bool enabled) override;
  void ShowPreview(const std::string& model_path) override;
  void ShowAbout(const std::string& version_line) override;

  void AddMenuEntries();
  QLineEdit* Field(int id) const;

  DialogController controller_;
  QIcon icon_;
  QPushButton* convert_ = nullptr;
  QPushButton* decompress_ = nullptr;
  QLineEdit* source_ = nullptr;
  QLineEdit* length_ = nullptr;
  QLineEdit* output_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  QRadioButton* two_foot_ = nullptr;
  QAction* preview_ = nullptr;

  bool writing_log_ = false;  // the pane's own changes are not the user's edits
};
