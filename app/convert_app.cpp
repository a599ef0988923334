#include "app/convert_app.h"

#include <QApplication>
#include <QTimer>

#include "app/convert_dlg.h"
#include "platform/qt_dialog.h"
#include "platform/qt_services.h"

bool CConvertApp::InitInstance(const std::string& file) {
  QCoreApplication::setOrganizationName(QStringLiteral("Ferrowind"));
  QCoreApplication::setApplicationName(platform::ProgramBaseName());
  QApplication::setWindowIcon(platform::LoadResourceIcon(res::kMainIcon));
  // The desktop matches the window to its menu entry (and icon) by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("com.ferrowind.shapewright"));
  platform::QtDialogServices services;
  platform::QtSettingsStore settings(platform::ProgramBaseName());
  CConvertDlg dialog(services, settings);
  services.SetOwner(&dialog);
  // Once the dialog is on the screen, so that the log and any file error show over it.
  if (!file.empty())
    QTimer::singleShot(0, &dialog, [&dialog, file] { dialog.Controller().OpenSource(file); });
  dialog.exec();
  return false;
}
