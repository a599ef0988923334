#include "app/dialog_controller.h"

#include <exception>
#include <utility>

#include "app/length_text.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/version_info.h"
#include "res/dialog_templates.h"

// The conversion's log: lines to the pane, beeps to the desktop, file failures to the box.
class DialogController::ConversionLog : public LogSink {
 public:
  explicit ConversionLog(DialogController& dialog) : dialog_(dialog) {}
  void AppendLog(const std::string& line) override { dialog_.AppendLogLine(line); }
  void Beep(const BeepSite&) override { dialog_.services_.Beep(); }
  void ReportFileFailure(const FileFailure& failure) override { dialog_.ShowFileError(failure); }

 private:
  DialogController& dialog_;
};

namespace {

// The wait cursor for the length of one command.
class WaitCursor {
 public:
  explicit WaitCursor(platform::DialogServices& services) : services_(services) {
    services_.SetWaitCursor(true);
  }
  ~WaitCursor() { services_.SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  platform::DialogServices& services_;
};

}  // namespace

DialogController::DialogController(DialogView& view, platform::DialogServices& services,
                                   platform::SettingsStore& settings)
    : view_(view), services_(services), settings_(settings) {}

DialogController::~DialogController() { platform::RemoveFolder(kept_text_folder_); }

void DialogController::OnInitDialog() {
  const std::string program_folder = platform::ProgramFolder();
  const bool writable = services_.CanWriteFolder(program_folder);
  first_start_folder_ = writable ? program_folder : services_.HomeFolder();
  // Installed, a first Convert into the program's folder would only fail. Without a saved
  // "Source" the chooser starts in the last resort, first_start_folder_.
  state_.SavedSourcePath = settings_.ReadString("Source", writable ? program_folder : "");
  state_.options.OutputDirectory = settings_.ReadString("Dest", first_start_folder_);
  view_.EnablePreview(false);
  UpdateData(false);
}

void DialogController::DoDataExchange(bool save, bool& length_read) {
  length_read = true;
  ConversionOptions& options = state_.options;
  if (save) {
    std::string source = view_.FieldText(res::kIdSource);
    // A source typed over the shape's private text is the user's own file, named as typed.
    if (source != options.SourcePath) {
      options.ShapePath.clear();
      options.NamePath.clear();
    }
    options.SourcePath = std::move(source);
    if (log_edited_) {
      PaintLogPane();
      state_.LogText = view_.LogPaneText();
      shown_log_ = state_.LogText;
      log_edited_ = false;
    }
    length_read = ParseLengthField(view_.FieldText(res::kIdLength), options.Length);
    options.OutputDirectory = view_.FieldText(res::kIdOutputDirectory);
    return;
  }
  SetFieldText(res::kIdSource, source_, options.SourcePath);
  WriteLogPane(state_.LogText);
  SetFieldText(res::kIdLength, length_, FormatLength(options.Length));
  SetFieldText(res::kIdOutputDirectory, output_, options.OutputDirectory);
}

bool DialogController::UpdateData(bool save) {
  bool length_read = true;
  DoDataExchange(save, length_read);
  if (!save) {
    view_.EnableButton(res::kIdOk, state_.ConvertEnabled);
    view_.EnableButton(res::kIdDecompress, state_.DecompressEnabled);
  }
  return length_read;
}

// Every log line writes the controls: the edits are rewritten only when their text changes.
void DialogController::SetFieldText(int id, ShownText& shown, const std::string& text) {
  if (!shown.changed && shown.text == text) return;
  view_.SetFieldText(id, text);
  shown.text = text;
  shown.changed = false;
}

void DialogController::OnFieldEdited(int id) {
  if (id == res::kIdLog) log_edited_ = true;
  if (id == res::kIdSource) source_.changed = true;
  if (id == res::kIdLength) length_.changed = true;
  if (id == res::kIdOutputDirectory) output_.changed = true;
}

void DialogController::WriteLogPane(const std::string& log_text) {
  const bool grown = !log_edited_ && log_text.size() >= shown_log_.size() &&
                     (log_grows_only_ || log_text.compare(0, shown_log_.size(), shown_log_) == 0);
  if (grown) {
    std::string_view tail = std::string_view(log_text).substr(shown_log_.size());
    if (tail.empty()) return;
    shown_log_.append(tail);
    pending_log_.append(tail);
    if (std::chrono::steady_clock::now() - last_paint_ >= kPaintInterval) PaintLogPane();
    return;
  }
  pending_log_.clear();
  view_.ReplaceLogPane(log_text);
  shown_log_ = log_text;
  log_edited_ = false;
}

void DialogController::PaintLogPane() {
  if (!pending_log_.empty()) view_.AppendLogPane(pending_log_);
  pending_log_.clear();
  view_.PaintLogPane();
  last_paint_ = std::chrono::steady_clock::now();
}

bool DialogController::CheckLengthField(const std::string& not_done) {
  float length = 0;
  if (ParseLengthField(view_.FieldText(res::kIdLength), length)) return true;
  ShowMessage(not_done.empty() ? std::string("Please enter a number.")
                               : not_done + " Please enter a number.");
  view_.FocusField(res::kIdLength);
  return false;
}

void DialogController::SaveSettings() {
  // Never the private text, which goes with the dialog: the shape it came from.
  settings_.WriteString("Source", ShapeFile(state_.options));
  settings_.WriteString("Dest", state_.options.OutputDirectory);
  settings_.WriteString("Eng", state_.options.EngPath);
}

void DialogController::RunCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& failure) {
    ShowMessage(failure.what());
  } catch (...) {
    ShowMessage("The command failed.");
  }
  log_grows_only_ = false;
  PaintLogPane();
}

void DialogController::OnBrowseSource() {
  RunCommand([this] {
    // A file handed over from the command line is named, or it would vanish without a word.
    std::string not_opened;
    if (open_with_) not_opened = *open_with_ + " was not opened: Length holds no number.";
    if (!CheckLengthField(not_opened)) return;
    UpdateData(true);
    EmptyLog();
    ConversionOptions& options = state_.options;
    std::string start =
        ChooserStartFolder(options.SourcePath, state_.SavedSourcePath, first_start_folder_);
    std::string chosen;
    if (open_with_) {
      chosen = *open_with_;
      open_with_.reset();
    } else if (!services_.ChooseSourceFile(start, chosen)) {
      return;
    }
    // The field shows the file as chosen, in its own letter case, until the next refresh.
    options.EngPath.clear();
    options.ShapePath.clear();
    options.NamePath.clear();
    options.SourcePath = chosen;
    UpdateData(false);
    ConversionLog log(*this);
    SourceOutcome outcome = PrepareChosenSource(chosen, log);
    options.SourcePath = outcome.source;
    options.NamePath = outcome.name_path;
    options.EngPath = outcome.eng;
    if (outcome.length) options.Length = *outcome.length;
    // A chosen file that cannot be read stays in the field as chosen, beside its error box.
    if (outcome.check == SourceCheck::kFailed && !outcome.description_read) return;
    ShowSourceButtons(ButtonsAfter(outcome.check));
  });
}

void DialogController::OpenSource(const std::string& file) {
  open_with_ = platform::AbsolutePath(file);
  OnBrowseSource();
  open_with_.reset();
}

void DialogController::OnDecompress() {
  RunCommand([this] {
    if (!CheckLengthField()) return;
    WaitCursor waiting(services_);
    // The shape is the one shown before the controls are read: what was typed since is not it.
    std::string shape = state_.options.SourcePath;
    UpdateData(true);
    EmptyLog();
    // A tool that fails passes silently here, as the buttons show. A folder that cannot take
    // the twin (a system folder, a disc) leaves the text in the user's cache folder.
    DecompressOutcome outcome =
        DecompressShape(shape, TwinPlace{true, platform::UserCacheFolder()});
    if (!outcome.decompressed) return;
    if (!outcome.kept_in.empty()) {
      platform::RemoveFolder(kept_text_folder_);
      kept_text_folder_ = outcome.kept_in;
      state_.options.ShapePath = shape;
      AppendLogLine(KeptTextLine(outcome));
    }
    state_.options.SourcePath = outcome.source;
    ShowSourceButtons(ButtonsAfter(SourceCheck::kReady));
  });
}

void DialogController::OnConvert() {
  RunCommand([this] {
    if (!CheckLengthField()) return;
    UpdateData(true);
    WaitCursor waiting(services_);
    log_grows_only_ = true;
    ConversionLog log(*this);
    ConversionResult written;
    if (RunConversion(state_.options, log, written)) {
      last_model_path_ = written.model_path;
      view_.EnablePreview(true);
    }
  });
}

void DialogController::OnTwoFoot(bool checked) { state_.options.TwoFootScale = checked; }

void DialogController::OnBrowseOutputDirectory() {
  RunCommand([this] {
    std::string chosen;
    if (services_.ChooseFolder(state_.options.OutputDirectory, chosen))
      state_.options.OutputDirectory = chosen;
    UpdateData(false);
  });
}

void DialogController::OnAbout() {
  RunCommand([this] {
    CVersionInfo version;
    bool read = version.ReadFromModule(nullptr);
    view_.ShowAbout(read ? version.ProductName + " Version " + version.GetFileVersion() : "");
  });
}

void DialogController::OnPreview() {
  RunCommand([this] {
    if (!last_model_path_.empty()) view_.ShowPreview(last_model_path_);
  });
}

void DialogController::OnClose() {
  RunCommand([this] {
    UpdateData(true);
    SaveSettings();
  });
}

void DialogController::AppendLogLine(const std::string& line) {
  state_.LogLineCount += 1;
  state_.LogText += line;
  state_.LogText += "\r\n";
  UpdateData(false);
}

void DialogController::EmptyLog() {
  state_.LogText.clear();
  state_.LogLineCount = 0;
}

void DialogController::ShowFileError(const FileFailure& failure) {
  PaintLogPane();
  services_.ShowFileError(failure.file, failure.reason);
}

// Every box opens over a pane that shows the whole log so far.
void DialogController::ShowMessage(const std::string& text) {
  PaintLogPane();
  services_.ShowMessage(text);
}

void DialogController::ShowSourceButtons(const std::optional<SourceButtons>& buttons) {
  if (buttons) {
    state_.ConvertEnabled = buttons->convert;
    state_.DecompressEnabled = buttons->decompress;
  }
  UpdateData(false);
}
