#include "app/about_dlg.h"

#include <QPushButton>

#include "platform/qt_dialog.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  platform::BuildDialog(*this, *res::FindDialogTemplate(res::kAboutDialog));
  setWindowIcon(platform::LoadResourceIcon(res::kMainIcon));
  if (auto* ok = platform::FindControlAs<QPushButton>(*this, res::kIdOk)) {
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  }
}
