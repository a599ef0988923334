// What the main dialog (template 102) does, apart from any window system: each command's effect
// on the fields, the log and the buttons, the settings read at start and saved on close. A view
// (Qt Widgets, Win32) builds the controls from the template, forwards each command here and
// shows what the controller gives it through DialogView.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "convert/conversion.h"
#include "platform/ui_services.h"
#include "source/source_commands.h"

// What the main dialog holds besides its controls.
struct DialogState {
  ConversionOptions options;
  std::string SavedSourcePath;    // "Source" from the settings: the chooser's last-resort folder
  std::string LogText;            // the whole text of the log pane
  int32_t LogLineCount = 0;       // log lines appended since the log was last emptied
  bool ConvertEnabled = true;     // button 1
  bool DecompressEnabled = true;  // button 1004
};

// The controls of the dialog as the controller sees them; fields and buttons by their template
// ids (res::kIdSource, res::kIdOk, ...). Texts are UTF-8; the log has "\r\n" line ends.
class DialogView {
 public:
  virtual ~DialogView() = default;
  // The text of one-line edit id (Source, Length, Output Directory).
  virtual std::string FieldText(int id) = 0;
  // Shows text in edit id, from its start.
  virtual void SetFieldText(int id, const std::string& text) = 0;
  virtual void EnableButton(int id, bool enabled) = 0;
  // The log pane's text as the user may have edited it, with every line given so far.
  virtual std::string LogPaneText() = 0;
  virtual void ReplaceLogPane(const std::string& text) = 0;
  // Adds text at the pane's end; it shows at the next PaintLogPane.
  virtual void AppendLogPane(std::string_view text) = 0;
  // Scrolls the pane to its end and paints it now.
  virtual void PaintLogPane() = 0;
  // Puts the focus in edit id with its text selected.
  virtual void FocusField(int id) = 0;
  // "Preview…" in the window's menu.
  virtual void EnablePreview(bool enabled) = 0;
  // The preview window of a model file; the view owns it.
  virtual void ShowPreview(const std::string& model_path) = 0;
  // The about box, its version line ("Shapewright Version 1.3.1.0") read from the program's
  // version record; empty when there is none, and the template's line stays.
  virtual void ShowAbout(const std::string& version_line) = 0;
};

class DialogController {
 public:
  DialogController(DialogView& view, platform::DialogServices& services,
                   platform::SettingsStore& settings);
  // Removes the cache folder of a shape's kept text.
  ~DialogController();
  DialogController(const DialogController&) = delete;
  DialogController& operator=(const DialogController&) = delete;

  const DialogState& State() const { return state_; }

  // Reads the settings and shows them: call once the controls exist.
  void OnInitDialog();
  // Reads the controls into the state (save true) or shows the state in them. Reading takes
  // the Length text only when it is a number and then returns false, the old length kept.
  bool UpdateData(bool save);
  // Writes "Source", "Dest" and "Eng", in this order.
  void SaveSettings();
  // The desktop's "open with" and a file dropped on the window: Browse, with file (made
  // absolute) as the chooser's answer.
  void OpenSource(const std::string& file);

  void OnBrowseSource();
  void OnDecompress();
  void OnConvert();
  void OnTwoFoot(bool checked);
  void OnBrowseOutputDirectory();
  void OnAbout();
  void OnPreview();
  // Close, Escape and the close box: reads the controls and saves the settings.
  void OnClose();
  // The user changed edit id (or the log pane, res::kIdLog) by hand.
  void OnFieldEdited(int id);

 private:
  class ConversionLog;
  // What a one-line edit was last given, so that showing the same text again costs nothing
  // while the edit has not changed since.
  struct ShownText {
    std::string text;
    bool changed = true;
  };

  void DoDataExchange(bool save, bool& length_read);
  void SetFieldText(int id, ShownText& shown, const std::string& text);
  void WriteLogPane(const std::string& log_text);
  // Gives the pane the lines held back and paints it.
  void PaintLogPane();
  // "Please enter a number." (after not_done, which says what did not happen) with the focus
  // put in Length when its text is not a number.
  bool CheckLengthField(const std::string& not_done = {});
  // Runs one command; no exception leaves it, and the pane shows the whole log after it.
  void RunCommand(const std::function<void()>& command);
  // Appends line and "\r\n" to the log, counts it and writes the controls.
  void AppendLogLine(const std::string& line);
  void EmptyLog();
  void ShowFileError(const FileFailure& failure);
  void ShowMessage(const std::string& text);
  // Shows the buttons a source command leaves; none keeps them as they are.
  void ShowSourceButtons(const std::optional<SourceButtons>& buttons);

  DialogView& view_;
  platform::DialogServices& services_;
  platform::SettingsStore& settings_;
  DialogState state_;
  ShownText source_, length_, output_;
  // Set by a conversion that wrote a model file: what "Preview…" shows.
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
  // text rewritten; log_edited_ when the user has typed into the pane since.
  std::string shown_log_;
  // The pane takes new lines in batches, at most 25 paints a second (kPaintInterval), and at
  // the end of every command and before every message box: painting each of thousands of
  // lines would cost the conversion many times its own time.
  static constexpr std::chrono::milliseconds kPaintInterval{40};
  std::string pending_log_;  // the end of shown_log_ not yet given to the pane
  std::chrono::steady_clock::time_point last_paint_{};
  bool log_edited_ = false;
  // Inside Convert nothing empties the log: each write only appends.
  bool log_grows_only_ = false;
};
