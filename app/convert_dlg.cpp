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

#include "app/about_dlg.h"
#include "app/length_text.h"
#include "platform/files.h"
#include "platform/qt_dialog.h"
#include "platform/qt_services.h"

using platform::FromQString;
using platform::ToQString;

// The conversion's log: lines to the pane, beeps to the desktop, file failures to the box.
class CConvertDlg::ConversionLog : public LogSink {
 public:
  explicit ConversionLog(CConvertDlg& dialog) : dialog_(dialog) {}
  void AppendLog(const std::string& line) override { ::AppendLog(dialog_.state_, dialog_, line); }
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

// Rewrites a one-line edit only when its text changes, showing the start of the new text.
void SetLineText(QLineEdit& edit, const std::string& text) {
  QString shown = ToQString(text);
  if (edit.text() == shown) return;
  edit.setText(shown);
  edit.setCursorPosition(0);
  // Seen at once even while a command keeps the event loop from running.
  if (edit.isVisible()) edit.repaint();
}

void SetButtonEnabled(QPushButton& button, bool enabled) {
  if (button.isEnabled() == enabled) return;
  button.setEnabled(enabled);
  if (button.isVisible()) button.repaint();
}

// The wait cursor for the length of one command.
class WaitCursor {
 public:
  explicit WaitCursor(platform::DialogServices& services) : services_(services) { services_.SetWaitCursor(true); }
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

CConvertDlg::CConvertDlg(platform::DialogServices& services, platform::SettingsStore& settings, QWidget* parent)
    : QDialog(parent), services_(services), settings_(settings), icon_(platform::LoadResourceIcon(res::kMainIcon)) {
  platform::BuildDialog(*this, *res::FindDialogTemplate(res::kMainDialog));
  convert_ = RequireControl<QPushButton>(*this, res::kIdOk);
  close_ = RequireControl<QPushButton>(*this, res::kIdCancel);
  browse_source_ = RequireControl<QPushButton>(*this, res::kIdBrowseSource);
  decompress_ = RequireControl<QPushButton>(*this, res::kIdDecompress);
  browse_output_ = RequireControl<QPushButton>(*this, res::kIdBrowseOutput);
  source_ = RequireControl<QLineEdit>(*this, res::kIdSource);
  length_ = RequireControl<QLineEdit>(*this, res::kIdLength);
  output_ = RequireControl<QLineEdit>(*this, res::kIdOutputDirectory);
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
  OnInitDialog();
}

CConvertDlg::~CConvertDlg() = default;

void CConvertDlg::OnInitDialog() {
  // A desktop's window menu cannot take entries, so the About entry is in the dialog's own
  // context menu: the right mouse button, the menu key, or Shift+F10.
  QString about_text = QString::fromUtf8(res::LoadResourceString(res::kAboutString));
  if (!about_text.isEmpty()) {
    about_ = new QAction(about_text, this);
    about_->setObjectName(QStringLiteral("action_about"));
    connect(about_, &QAction::triggered, this, &CConvertDlg::OnAbout);
    addAction(about_);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* shortcut = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this);
    connect(shortcut, &QShortcut::activated, this, [this] {
      QMenu::exec(actions(), mapToGlobal(QPoint(width() / 2, height() / 2)), nullptr, this);
    });
  }
  setWindowIcon(icon_);
  std::string program_folder = platform::ProgramFolder();
  state_.SavedSourcePath = settings_.ReadString("Source", program_folder);
  state_.options.OutputDirectory = settings_.ReadString("Dest", program_folder);
  UpdateData(false);
  convert_->setFocus(Qt::OtherFocusReason);
}

void CConvertDlg::DoDataExchange(bool save, bool& length_read) {
  length_read = true;
  ConversionOptions& options = state_.options;
  if (save) {
    options.SourcePath = FromQString(source_->text());
    if (log_edited_) {
      state_.LogText = FromPaneText(log_->toPlainText());
      shown_log_ = state_.LogText;
      log_edited_ = false;
    }
    length_read = ParseLength(FromQString(length_->text()), options.Length);
    options.OutputDirectory = FromQString(output_->text());
    return;
  }
  SetLineText(*source_, options.SourcePath);
  WriteLogPane(state_.LogText);
  SetLineText(*length_, FormatLength(options.Length));
  SetLineText(*output_, options.OutputDirectory);
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

void CConvertDlg::WriteLogPane(const std::string& log_text) {
  const bool grown = !log_edited_ && log_text.size() >= shown_log_.size() &&
                     (log_grows_only_ || log_text.compare(0, shown_log_.size(), shown_log_) == 0);
  writing_log_ = true;
  if (grown) {
    if (log_text.size() > shown_log_.size()) {
      std::string_view tail = std::string_view(log_text).substr(shown_log_.size());
      QTextCursor end(log_->document());
      end.movePosition(QTextCursor::End);
      end.insertText(ToPaneText(std::string(tail)));
      shown_log_.append(tail);
    }
  } else {
    log_->setPlainText(ToPaneText(log_text));
    shown_log_ = log_text;
    log_edited_ = false;
  }
  writing_log_ = false;
}

void CConvertDlg::OnLogEdited() {
  if (!writing_log_) log_edited_ = true;
}

bool CConvertDlg::CheckLengthField() {
  float length = 0;
  if (ParseLength(FromQString(length_->text()), length)) return true;
  services_.ShowMessage(this, "Please enter a number.");
  length_->setFocus(Qt::OtherFocusReason);
  length_->selectAll();
  return false;
}

void CConvertDlg::SaveSettings() {
  settings_.WriteString("Source", state_.options.SourcePath);
  settings_.WriteString("Dest", state_.options.OutputDirectory);
  settings_.WriteString("Eng", state_.options.EngPath);
}

void CConvertDlg::RunCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& failure) {
    services_.ShowMessage(this, failure.what());
  } catch (...) {
    services_.ShowMessage(this, "The command failed.");
  }
  log_grows_only_ = false;
}

void CConvertDlg::OnBrowseSource() {
  RunCommand([this] {
    if (CheckLengthField()) BrowseSource(state_, *this);
  });
}

void CConvertDlg::OnDecompress() {
  RunCommand([this] {
    if (CheckLengthField()) DecompressSource(state_, *this);
  });
}

void CConvertDlg::OnConvert() {
  RunCommand([this] {
    if (!CheckLengthField()) return;
    UpdateData(true);
    WaitCursor waiting(services_);
    log_grows_only_ = true;
    ConversionLog log(*this);
    RunConversion(state_.options, log);
  });
}

void CConvertDlg::OnTwoFoot() { state_.options.TwoFootScale = two_foot_->isChecked(); }

void CConvertDlg::OnBrowseOutputDirectory() {
  RunCommand([this] {
    std::string chosen;
    if (services_.ChooseFolder(this, state_.options.OutputDirectory, chosen)) state_.options.OutputDirectory = chosen;
    UpdateData(false);
  });
}

void CConvertDlg::OnAbout() {
  RunCommand([] {
    CAboutDlg about;
    about.exec();
  });
}

void CConvertDlg::reject() {
  QDialog::reject();
  UpdateData(true);
  SaveSettings();
}

void CConvertDlg::closeEvent(QCloseEvent* event) {
  UpdateData(true);
  SaveSettings();
  QDialog::closeEvent(event);
}

void CConvertDlg::ReadControls(DialogState&) { UpdateData(true); }

void CConvertDlg::WriteControls(const DialogState&) { UpdateData(false); }

void CConvertDlg::ShowLog(const DialogState&) {
  QScrollBar* scroll = log_->verticalScrollBar();
  scroll->setValue(scroll->maximum());
  // Painted now: a command keeps the event loop from running until it ends.
  if (log_->isVisible()) log_->repaint();
}

bool CConvertDlg::ChooseSourceFile(const std::string& start_folder, std::string& chosen) {
  return services_.ChooseSourceFile(this, start_folder, chosen);
}

void CConvertDlg::ShowFileError(const FileFailure& failure) {
  services_.ShowFileError(this, failure.file, failure.reason);
}

void CConvertDlg::SetWaitCursor(bool waiting) { services_.SetWaitCursor(waiting); }
