// The main dialog: template 102. An adapter: DoDataExchange copies the four bound controls to
// and from the state, the slots run the commands of the core and show their outcome in the
// fields and buttons, and AppendLogLine shows each new log line at once.
#pragma once

#include <QDialog>
#include <QIcon>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
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

// What the main dialog holds besides its controls.
struct DialogState {
  ConversionOptions options;
  std::string SavedSourcePath;    // "Source" from the settings: the chooser's last-resort folder
  std::string LogText;            // the whole text of the log pane
  int32_t LogLineCount = 0;       // log lines appended since the log was last emptied
  bool ConvertEnabled = true;     // button 1
  bool DecompressEnabled = true;  // button 1004
};

class CConvertDlg : public QDialog {
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
  // The desktop's "open with": Browse, with file (made absolute) as the chooser's answer.
  void OpenSource(const std::string& file);

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
  void OnPreview();
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
  // "Please enter a number." (after not_done, which says what did not happen) with the focus
  // put in Length when its text is not a number.
  bool CheckLengthField(const std::string& not_done = {});
  void WriteLogPane(const std::string& log_text);
  void SetLineText(BoundEdit& bound, const std::string& text);
  // Puts the lines not yet in the pane into it, scrolls to its end and paints it now.
  void FlushLogPane();
  // Runs one command; no exception leaves the slot.
  void RunCommand(const std::function<void()>& command);

  // Appends line and "\r\n" to the log, counts it, writes the controls and shows the line
  // within the pane's paint interval.
  void AppendLogLine(const std::string& line);
  void EmptyLog();
  void ShowFileError(const FileFailure& failure);
  // Shows the buttons a source command leaves; none keeps them as they are.
  void ShowSourceButtons(const std::optional<SourceButtons>& buttons);

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
  // "Preview…": enabled once a conversion has written last_model_path_.
  QAction* preview_ = nullptr;
  std::string last_model_path_;

  // What a first start offers for the output and the chooser's last resort: the program's
  // folder, or the home folder when that is not the user's to write (installed for everyone).
  std::string first_start_folder_;
  // The cache folder holding the text of a shape whose own folder refused its twin; removed
  // with the next one and with the dialog.
  std::string kept_text_folder_;
  // The file OpenSource hands to Browse instead of asking.
  std::optional<std::string> open_with_;

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
