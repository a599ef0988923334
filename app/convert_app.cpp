#include "app/convert_app.h"

#include <QApplication>

#include "app/convert_dlg.h"
#include "platform/qt_dialog.h"
#include "platform/qt_services.h"

bool CConvertApp::InitInstance() {
  QCoreApplication::setOrganizationName(QStringLiteral("Ferrowind"));
  QCoreApplication::setApplicationName(platform::ProgramBaseName());
  QApplication::setWindowIcon(platform::LoadResourceIcon(res::kMainIcon));
  platform::QtDialogServices services;
  platform::QtSettingsStore settings(platform::ProgramBaseName());
  CConvertDlg dialog(services, settings);
  dialog.exec();
  return false;
}
