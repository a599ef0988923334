#include "app/convert_dlg.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTextCursor>
#include <exception>
#include <string_view>
#include <utility>

#include "app/about_dlg.h"
#include "app/length_text.h"
#include "app/preview_window.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/qt_dialog.h"
#include "platform/qt_services.h"

using platform::FromQString;
using platform::ToQString;

// The conversion's log: lines to the pane, beeps to the desktop, file failures to the box.
class CConvertDlg::ConversionLog : public LogSink {
 public:
  explicit ConversionLog(CConvertDlg& dialog) : dialog_(dialog) {}
  void AppendLog(const std::string& line) override { dialog_.AppendLogLine(line); }
  void Beep(const BeepSite&) override { dialog_.services_.Beep(); }
  void ReportFileFailure(const FileFailure& failure) override { dialog_.ShowFileError(failure); }

 private:
  CConvertDlg& dialog_;
};

namespace {

// The pane shows line breaks as the edit control does; the log keeps "\r\n".
QString ToPaneText(const std::string& log_text) {
  std::string shown;
  shown.reserve(log_text.size());
  for (char c : log_text) {
    if (c != '\r') shown += c;
  }
  return ToQString(shown);
}

std::string FromPaneText(const QString& pane_text) {
  std::string text = FromQString(pane_text);
  std::string log_text;
  log_text.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') log_text += '\r';
    log_text += c;
  }
  return log_text;
}

void SetButtonEnabled(QPushButton& button, bool enabled) {
  if (button.isEnabled() == enabled) return;
  button.setEnabled(enabled);
  if (button.isVisible()) button.repaint();
}

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

template <class Widget>
Widget* RequireControl(const QWidget& dialog, int id) {
  Widget* widget = platform::FindControlAs<Widget>(dialog, id);
  Q_ASSERT(widget != nullptr);
  return widget;
}

}  // namespace

CConvertDlg::CConvertDlg(platform::DialogServices& services, platform::SettingsStore& settings,
                         QWidget* parent)
    : QDialog(parent),
      services_(services),
      settings_(settings),
      icon_(platform::LoadResourceIcon(res::kMainIcon)) {
  platform::BuildDialog(*this, *res::FindDialogTemplate(res::kMainDialog));
  convert_ = RequireControl<QPushButton>(*this, res::kIdOk);
  close_ = RequireControl<QPushButton>(*this, res::kIdCancel);
  browse_source_ = RequireControl<QPushButton>(*this, res::kIdBrowseSource);
  decompress_ = RequireControl<QPushButton>(*this, res::kIdDecompress);
  browse_output_ = RequireControl<QPushButton>(*this, res::kIdBrowseOutput);
  source_.edit = RequireControl<QLineEdit>(*this, res::kIdSource);
  length_.edit = RequireControl<QLineEdit>(*this, res::kIdLength);
  output_.edit = RequireControl<QLineEdit>(*this, res::kIdOutputDirectory);
  log_ = RequireControl<QPlainTextEdit>(*this, res::kIdLog);
  two_foot_ = RequireControl<QRadioButton>(*this, res::kIdTwoFoot);
  // A long log is kept once, in the state; the pane needs no undo history of its own.
  log_->setUndoRedoEnabled(false);

  // The message map.
  connect(browse_source_, &QPushButton::clicked, this, &CConvertDlg::OnBrowseSource);
  connect(decompress_, &QPushButton::clicked, this, &CConvertDlg::OnDecompress);
  connect(convert_, &QPushButton::clicked, this, &CConvertDlg::OnConvert);
  connect(two_foot_, &QRadioButton::clicked, this, &CConvertDlg::OnTwoFoot);
  connect(close_, &QPushButton::clicked, this, &CConvertDlg::reject);
  connect(browse_output_, &QPushButton::clicked, this, &CConvertDlg::OnBrowseOutputDirectory);
  connect(log_, &QPlainTextEdit::textChanged, this, &CConvertDlg::OnLogEdited);
  for (BoundEdit* bound : {&source_, &length_, &output_}) {
    connect(bound->edit, &QLineEdit::textChanged, this, [bound] { bound->changed = true; });
  }
  OnInitDialog();
}

CConvertDlg::~CConvertDlg() { platform::RemoveFolder(kept_text_folder_); }

void CConvertDlg::OnInitDialog() {
  // A desktop's window menu cannot take entries, so the About entry is in the dialog's own
  // context menu: the right mouse button, the menu key, or Shift+F10.
  // "Preview…" stays disabled until a conversion has written a model file.
  preview_ = new QAction(QStringLiteral("Preview\u2026"), this);
  preview_->setObjectName(QStringLiteral("action_preview"));
  preview_->setEnabled(false);
  connect(preview_, &QAction::triggered, this, &CConvertDlg::OnPreview);
  addAction(preview_);
  QString about_text = QString::fromUtf8(res::LoadResourceString(res::kAboutString));
  if (!about_text.isEmpty()) {
    about_ = new QAction(about_text, this);
    about_->setObjectName(QStringLiteral("action_about"));
    connect(about_, &QAction::triggered, this, &CConvertDlg::OnAbout);
    addAction(about_);
  }
  setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* shortcut = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this);
  connect(shortcut, &QShortcut::activated, this, [this] {
    QMenu::exec(actions(), mapToGlobal(QPoint(width() / 2, height() / 2)), nullptr, this);
  });
  setWindowIcon(icon_);
  const std::string program_folder = platform::ProgramFolder();
  const bool writable = services_.CanWriteFolder(program_folder);
  first_start_folder_ = writable ? program_folder : services_.HomeFolder();
  // Installed, a first Convert into the program's folder would only fail. Without a saved
  // "Source" the chooser starts in the last resort, first_start_folder_.
  state_.SavedSourcePath = settings_.ReadString("Source", writable ? program_folder : "");
  state_.options.OutputDirectory = settings_.ReadString("Dest", first_start_folder_);
  UpdateData(false);
  convert_->setFocus(Qt::OtherFocusReason);
}

void CConvertDlg::DoDataExchange(bool save, bool& length_read) {
  length_read = true;
  ConversionOptions& options = state_.options;
  if (save) {
    std::string source = FromQString(source_.edit->text());
    // A source typed over the shape's private text is the user's own file, named as typed.
    if (source != options.SourcePath) {
      options.ShapePath.clear();
      options.NamePath.clear();
    }
    options.SourcePath = std::move(source);
    if (log_edited_) {
      FlushLogPane();
      state_.LogText = FromPaneText(log_->toPlainText());
      shown_log_ = state_.LogText;
      log_edited_ = false;
    }
    length_read = ParseLengthField(FromQString(length_.edit->text()), options.Length);
    options.OutputDirectory = FromQString(output_.edit->text());
    return;
  }
  SetLineText(source_, options.SourcePath);
  WriteLogPane(state_.LogText);
  SetLineText(length_, FormatLength(options.Length));
  SetLineText(output_, options.OutputDirectory);
}

bool CConvertDlg::UpdateData(bool save) {
  bool length_read = true;
  DoDataExchange(save, length_read);
  if (!save) {
    SetButtonEnabled(*convert_, state_.ConvertEnabled);
    SetButtonEnabled(*decompress_, state_.DecompressEnabled);
  }
  return length_read;
}

// Rewrites a one-line edit only when its text changes, showing the start of the new text.
void CConvertDlg::SetLineText(BoundEdit& bound, const std::string& text) {
  QLineEdit& edit = *bound.edit;
  if (!bound.changed && bound.shown == text) return;
  QString shown = ToQString(text);
  if (edit.text() != shown) {
    edit.setText(shown);
    edit.setCursorPosition(0);
    // Seen at once even while a command keeps the event loop from running.
    if (edit.isVisible()) edit.repaint();
  }
  bound.shown = text;
  bound.changed = false;
}

void CConvertDlg::WriteLogPane(const std::string& log_text) {
  const bool grown = !log_edited_ && log_text.size() >= shown_log_.size() &&
                     (log_grows_only_ || log_text.compare(0, shown_log_.size(), shown_log_) == 0);
  if (grown) {
    std::string_view tail = std::string_view(log_text).substr(shown_log_.size());
    shown_log_.append(tail);
    pending_log_.append(tail);
    return;
  }
  writing_log_ = true;
  log_->setPlainText(ToPaneText(log_text));
  writing_log_ = false;
  shown_log_ = log_text;
  pending_log_.clear();
  log_edited_ = false;
}

void CConvertDlg::FlushLogPane() {
  if (!pending_log_.empty()) {
    writing_log_ = true;
    QTextCursor end(log_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(ToPaneText(pending_log_));
    writing_log_ = false;
    pending_log_.clear();
  }
  QScrollBar* scroll = log_->verticalScrollBar();
  scroll->setValue(scroll->maximum());
  // Painted now: a command keeps the event loop from running until it ends.
  if (log_->isVisible()) log_->repaint();
  last_paint_ = std::chrono::steady_clock::now();
}

void CConvertDlg::OnLogEdited() {
  if (!writing_log_) log_edited_ = true;
}

bool CConvertDlg::CheckLengthField(const std::string& not_done) {
  float length = 0;
  if (ParseLengthField(FromQString(length_.edit->text()), length)) return true;
  FlushLogPane();
  services_.ShowMessage(this, not_done.empty() ? std::string("Please enter a number.")
                                               : not_done + " Please enter a number.");
  length_.edit->setFocus(Qt::OtherFocusReason);
  length_.edit->selectAll();
  return false;
}

void CConvertDlg::SaveSettings() {
  // Never the private text, which goes with the dialog: the shape it came from.
  settings_.WriteString("Source", ShapeFile(state_.options));
  settings_.WriteString("Dest", state_.options.OutputDirectory);
  settings_.WriteString("Eng", state_.options.EngPath);
}

void CConvertDlg::RunCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& failure) {
    FlushLogPane();
    services_.ShowMessage(this, failure.what());
  } catch (...) {
    FlushLogPane();
    services_.ShowMessage(this, "The command failed.");
  }
  log_grows_only_ = false;
  FlushLogPane();
}

void CConvertDlg::OnBrowseSource() {
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
    } else if (!services_.ChooseSourceFile(this, start, chosen)) {
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

void CConvertDlg::OpenSource(const std::string& file) {
  open_with_ = platform::AbsolutePath(file);
  OnBrowseSource();
  open_with_.reset();
}

void CConvertDlg::OnDecompress() {
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

void CConvertDlg::OnConvert() {
  RunCommand([this] {
    if (!CheckLengthField()) return;
    UpdateData(true);
    WaitCursor waiting(services_);
    log_grows_only_ = true;
    ConversionLog log(*this);
    ConversionResult written;
    if (RunConversion(state_.options, log, written)) {
      last_model_path_ = written.model_path;
      preview_->setEnabled(true);
    }
  });
}

void CConvertDlg::OnTwoFoot() { state_.options.TwoFootScale = two_foot_->isChecked(); }

void CConvertDlg::OnBrowseOutputDirectory() {
  RunCommand([this] {
    std::string chosen;
    if (services_.ChooseFolder(this, state_.options.OutputDirectory, chosen))
      state_.options.OutputDirectory = chosen;
    UpdateData(false);
  });
}

void CConvertDlg::OnAbout() {
  RunCommand([] {
    CAboutDlg about;
    about.exec();
  });
}

void CConvertDlg::OnPreview() {
  RunCommand([this] {
    if (last_model_path_.empty()) return;
    auto* window = new CPreviewWindow(last_model_path_, this);
    window->show();
  });
}

void CConvertDlg::reject() {
  QDialog::reject();
  RunCommand([this] {
    UpdateData(true);
    SaveSettings();
  });
}

void CConvertDlg::closeEvent(QCloseEvent* event) {
  RunCommand([this] {
    UpdateData(true);
    SaveSettings();
  });
  QDialog::closeEvent(event);
}

void CConvertDlg::AppendLogLine(const std::string& line) {
  state_.LogLineCount += 1;
  state_.LogText += line;
  state_.LogText += "\r\n";
  UpdateData(false);
  // A line shows within 40 ms: painting each of thousands of lines would cost the
  // conversion many times its own time.
  if (std::chrono::steady_clock::now() - last_paint_ >= kPaintInterval) FlushLogPane();
}

void CConvertDlg::EmptyLog() {
  state_.LogText.clear();
  state_.LogLineCount = 0;
}

void CConvertDlg::ShowFileError(const FileFailure& failure) {
  FlushLogPane();
  services_.ShowFileError(this, failure.file, failure.reason);
}

void CConvertDlg::ShowSourceButtons(const std::optional<SourceButtons>& buttons) {
  if (buttons) {
    state_.ConvertEnabled = buttons->convert;
    state_.DecompressEnabled = buttons->decompress;
  }
  UpdateData(false);
}
