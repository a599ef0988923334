// The main dialog: template 102 over the dialog state of the source commands. An adapter:
// DoDataExchange copies the four bound controls to and from the state, the slots run the
// commands of the core, and AppendLog shows each new log line at once.
#pragma once

#include <QDialog>
#include <QIcon>
#include <chrono>
#include <functional>
#include <string>

#include "convert/conversion.h"
#include "platform/ui_services.h"
#include "source/source_commands.h"

class QAction;
class QCloseEvent;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class CConvertDlg : public QDialog, private DialogHooks {
  Q_OBJECT

 public:
  // Builds the dialog and runs OnInitDialog: the settings are read here.
  CConvertDlg(platform::DialogServices& services, platform::SettingsStore& settings,
              QWidget* parent = nullptr);
  ~CConvertDlg() override;

  const DialogState& State() const { return state_; }

  // Reads the controls into the state (save true) or shows the state in them. Reading takes
  // the Length text only when it is a number and then returns false, the old length kept.
  bool UpdateData(bool save);
  // Writes "Source", "Dest" and "Eng", in this order.
  void SaveSettings();

 public slots:
  // The Close button and Escape: ends the dialog as cancelled, reads the controls, saves.
  void reject() override;

 protected:
  // The close box: reads the controls and saves, then takes the Close path (so twice).
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void OnBrowseSource();
  void OnDecompress();
  void OnConvert();
  void OnTwoFoot();
  void OnBrowseOutputDirectory();
  void OnAbout();
  void OnLogEdited();

 private:
  class ConversionLog;
  // A one-line edit and the text it was last given, so that rewriting it with the same text
  // costs nothing while its text has not changed since (changed: any change, typed or not).
  struct BoundEdit {
    QLineEdit* edit = nullptr;
    std::string shown;
    bool changed = true;
  };

  void OnInitDialog();
  void DoDataExchange(bool save, bool& length_read);
  // "Please enter a number." with the focus put in Length when its text is not a number.
  bool CheckLengthField();
  void WriteLogPane(const std::string& log_text);
  void SetLineText(BoundEdit& bound, const std::string& text);
  // Puts the lines not yet in the pane into it, scrolls to its end and paints it now.
  void FlushLogPane();
  // Runs one command; no exception leaves the slot.
  void RunCommand(const std::function<void()>& command);

  // DialogHooks: the window as the source commands see it.
  void ReadControls(DialogState& state) override;
  void WriteControls(const DialogState& state) override;
  void ShowLog(const DialogState& state) override;
  bool ChooseSourceFile(const std::string& start_folder, std::string& chosen) override;
  void ShowFileError(const FileFailure& failure) override;
  void SetWaitCursor(bool waiting) override;

  platform::DialogServices& services_;
  platform::SettingsStore& settings_;
  DialogState state_;
  QIcon icon_;
  QPushButton* convert_ = nullptr;
  QPushButton* close_ = nullptr;
  QPushButton* browse_source_ = nullptr;
  QPushButton* decompress_ = nullptr;
  QPushButton* browse_output_ = nullptr;
  BoundEdit source_;
  BoundEdit length_;
  BoundEdit output_;
  QPlainTextEdit* log_ = nullptr;
  QRadioButton* two_foot_ = nullptr;
  QAction* about_ = nullptr;

  // The log as given to the pane, so that a new line is appended to the pane, not the whole
  // text rewritten; log_edited_ when the user has typed into the pane since. The pane takes
  // new lines in batches, at most 25 paints a second (kPaintInterval), and at the end of
  // every command and before every message box.
  static constexpr std::chrono::milliseconds kPaintInterval{40};
  std::string shown_log_;
  std::string pending_log_;  // the end of shown_log_ that is not yet in the pane
  std::chrono::steady_clock::time_point last_paint_{};
  bool log_edited_ = false;
  bool writing_log_ = false;
  // Inside Convert nothing empties the log: each write only appends.
  bool log_grows_only_ = false;
};
