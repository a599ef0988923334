#include "app/about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "platform/qt_dialog.h"

CAboutDlg::CAboutDlg(const std::string& version_line, QWidget* parent) : QDialog(parent) {
  platform::BuildDialog(*this, *res::FindDialogTemplate(res::kAboutDialog));
  // The version line is the template's second control, after the icon.
  auto* line = findChild<QLabel*>(platform::ControlObjectName(res::kIdStatic, 1));
  if (line != nullptr && !version_line.empty()) line->setText(QString::fromStdString(version_line));
  setWindowIcon(platform::LoadResourceIcon(res::kMainIcon));
  if (auto* ok = platform::FindControlAs<QPushButton>(*this, res::kIdOk)) {
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  }
}
