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

#include "app/about_dlg.h"
#include "app/preview_window.h"
#include "platform/qt_dialog.h"
#include "platform/qt_services.h"

using platform::FromQString;
using platform::ToQString;

namespace {

// The pane shows line breaks as the edit control does; the log keeps "\r\n".
QString ToPaneText(std::string_view log_text) {
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
      controller_(*this, services, settings),
      icon_(platform::LoadResourceIcon(res::kMainIcon)) {
  platform::BuildDialog(*this, *res::FindDialogTemplate(res::kMainDialog));
  convert_ = RequireControl<QPushButton>(*this, res::kIdOk);
  decompress_ = RequireControl<QPushButton>(*this, res::kIdDecompress);
  source_ = RequireControl<QLineEdit>(*this, res::kIdSource);
  length_ = RequireControl<QLineEdit>(*this, res::kIdLength);
  output_ = RequireControl<QLineEdit>(*this, res::kIdOutputDirectory);
  log_ = RequireControl<QPlainTextEdit>(*this, res::kIdLog);
  two_foot_ = RequireControl<QRadioButton>(*this, res::kIdTwoFoot);
  // A long log is kept once, in the state; the pane needs no undo history of its own.
  log_->setUndoRedoEnabled(false);

  // The message map.
  DialogController& c = controller_;
  auto forward = [this](int id, void (DialogController::*command)()) {
    connect(RequireControl<QPushButton>(*this, id), &QPushButton::clicked, this,
            [this, command] { (controller_.*command)(); });
  };
  forward(res::kIdBrowseSource, &DialogController::OnBrowseSource);
  forward(res::kIdDecompress, &DialogController::OnDecompress);
  forward(res::kIdOk, &DialogController::OnConvert);
  forward(res::kIdBrowseOutput, &DialogController::OnBrowseOutputDirectory);
  connect(RequireControl<QPushButton>(*this, res::kIdCancel), &QPushButton::clicked, this,
          &CConvertDlg::reject);
  connect(two_foot_, &QRadioButton::clicked, this, [&c](bool checked) { c.OnTwoFoot(checked); });
  connect(log_, &QPlainTextEdit::textChanged, this, [this, &c] {
    if (!writing_log_) c.OnFieldEdited(res::kIdLog);
  });
  for (int id : {res::kIdSource, res::kIdLength, res::kIdOutputDirectory}) {
    connect(Field(id), &QLineEdit::textChanged, this, [&c, id] { c.OnFieldEdited(id); });
  }
  AddMenuEntries();
  setWindowIcon(icon_);
  controller_.OnInitDialog();
  convert_->setFocus(Qt::OtherFocusReason);
}

CConvertDlg::~CConvertDlg() = default;

void CConvertDlg::AddMenuEntries() {
  // A desktop's window menu cannot take entries, so the About entry is in the dialog's own
  // context menu: the right mouse button, the menu key, or Shift+F10.
  preview_ = new QAction(QStringLiteral("Preview\u2026"), this);
  preview_->setObjectName(QStringLiteral("action_preview"));
  connect(preview_, &QAction::triggered, this, [this] { controller_.OnPreview(); });
  addAction(preview_);
  QString about_text = QString::fromUtf8(res::LoadResourceString(res::kAboutString));
  if (!about_text.isEmpty()) {
    auto* about = new QAction(about_text, this);
    about->setObjectName(QStringLiteral("action_about"));
    connect(about, &QAction::triggered, this, [this] { controller_.OnAbout(); });
    addAction(about);
  }
  setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* shortcut = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this);
  connect(shortcut, &QShortcut::activated, this, [this] {
    QMenu::exec(actions(), mapToGlobal(QPoint(width() / 2, height() / 2)), nullptr, this);
  });
}

QLineEdit* CConvertDlg::Field(int id) const {
  if (id == res::kIdSource) return source_;
  if (id == res::kIdLength) return length_;
  return output_;
}

std::string CConvertDlg::FieldText(int id) { return FromQString(Field(id)->text()); }

void CConvertDlg::SetFieldText(int id, const std::string& text) {
  QLineEdit& edit = *Field(id);
  QString shown = ToQString(text);
  if (edit.text() == shown) return;
  edit.setText(shown);
  edit.setCursorPosition(0);
  // Seen at once even while a command keeps the event loop from running.
  if (edit.isVisible()) edit.repaint();
}

void CConvertDlg::EnableButton(int id, bool enabled) {
  QPushButton& button = id == res::kIdOk ? *convert_ : *decompress_;
  if (button.isEnabled() == enabled) return;
  button.setEnabled(enabled);
  if (button.isVisible()) button.repaint();
}

std::string CConvertDlg::LogPaneText() { return FromPaneText(log_->toPlainText()); }

void CConvertDlg::ReplaceLogPane(const std::string& text) {
  writing_log_ = true;
  log_->setPlainText(ToPaneText(text));
  writing_log_ = false;
}

void CConvertDlg::AppendLogPane(std::string_view text) {
  writing_log_ = true;
  QTextCursor end(log_->document());
  end.movePosition(QTextCursor::End);
  end.insertText(ToPaneText(text));
  writing_log_ = false;
}

void CConvertDlg::PaintLogPane() {
  QScrollBar* scroll = log_->verticalScrollBar();
  scroll->setValue(scroll->maximum());
  // Painted now: a command keeps the event loop from running until it ends.
  if (log_->isVisible()) log_->repaint();
}

void CConvertDlg::FocusField(int id) {
  QLineEdit* edit = Field(id);
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
}

void CConvertDlg::EnablePreview(bool enabled) { preview_->setEnabled(enabled); }

void CConvertDlg::ShowPreview(const std::string& model_path) {
  auto* window = new CPreviewWindow(model_path, this);
  window->show();
}

void CConvertDlg::ShowAbout(const std::string& version_line) {
  CAboutDlg about(version_line);
  about.exec();
}

void CConvertDlg::reject() {
  QDialog::reject();
  controller_.OnClose();
}

void CConvertDlg::closeEvent(QCloseEvent* event) {
  controller_.OnClose();
  QDialog::closeEvent(event);
}
