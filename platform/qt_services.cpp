#include "platform/qt_services.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStringList>

#include "platform/files.h"

namespace platform {

QString ToQString(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQString(const QString& text) { return text.toStdString(); }

QString ProgramBaseName() { return QFileInfo(ToQString(RunningProgramPath())).completeBaseName(); }

bool QtDialogServices::ChooseSourceFile(const std::string& start_folder, std::string& chosen) {
  QFileDialog chooser(owner_, QStringLiteral("Import Shape:"), ToQString(start_folder));
  chooser.setOption(QFileDialog::DontUseNativeDialog);
  chooser.setAcceptMode(QFileDialog::AcceptOpen);
  // The chosen name need not exist, as with the system chooser without option flags.
  chooser.setFileMode(QFileDialog::AnyFile);
  // One entry with an empty pattern: every file is listed, so ".s", ".eng" and ".wag" all are.
  chooser.setNameFilter(QStringLiteral("MSTS Shape file (*)"));
  chooser.setDefaultSuffix(QStringLiteral("s"));
  if (chooser.exec() != QDialog::Accepted) return false;
  QStringList files = chooser.selectedFiles();
  if (files.isEmpty()) return false;
  chosen = FromQString(files.first());
  return true;
}

bool QtDialogServices::ChooseFolder(const std::string& start_folder, std::string& chosen) {
  QFileDialog browser(owner_, QStringLiteral("Select Folder"), ToQString(start_folder));
  browser.setOption(QFileDialog::DontUseNativeDialog);
  browser.setOption(QFileDialog::ShowDirsOnly);
  browser.setFileMode(QFileDialog::Directory);
  if (browser.exec() != QDialog::Accepted) return false;
  QStringList folders = browser.selectedFiles();
  if (folders.isEmpty() || folders.first().isEmpty()) return false;
  chosen = FromQString(folders.first());
  return true;
}

void QtDialogServices::ShowFileError(const std::string& file, const std::string& reason) {
  QMessageBox::critical(owner_, QStringLiteral("Shapewright"),
                        QStringLiteral("%1\n%2.").arg(ToQString(file), ToQString(reason)));
}

void QtDialogServices::ShowMessage(const std::string& text) {
  QMessageBox::warning(owner_, QStringLiteral("Shapewright"), ToQString(text));
}

void QtDialogServices::Beep() { QApplication::beep(); }

void QtDialogServices::SetWaitCursor(bool waiting) {
  if (waiting) {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    ++cursor_depth_;
  } else if (cursor_depth_ > 0) {
    QApplication::restoreOverrideCursor();
    --cursor_depth_;
  }
}

bool QtDialogServices::CanWriteFolder(const std::string& folder) {
  return platform::CanWriteFolder(folder);
}

std::string QtDialogServices::HomeFolder() {
  return FromQString(QStandardPaths::writableLocation(QStandardPaths::HomeLocation));
}

QtSettingsStore::QtSettingsStore(const QString& application)
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Ferrowind"),
                application) {}

std::string QtSettingsStore::ReadString(const std::string& key, const std::string& fallback) {
  settings_.beginGroup(QStringLiteral("Shapewright"));
  QVariant value = settings_.value(ToQString(key));
  settings_.endGroup();
  return value.isValid() ? FromQString(value.toString()) : fallback;
}

void QtSettingsStore::WriteString(const std::string& key, const std::string& value) {
  settings_.beginGroup(QStringLiteral("Shapewright"));
  settings_.setValue(ToQString(key), ToQString(value));
  settings_.endGroup();
  settings_.sync();
}

}  // namespace platform
