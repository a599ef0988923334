// The desktop services of the dialog on Qt Widgets: Qt's own (non-native) file and folder
// choosers, message boxes, QApplication::beep, the override cursor, and QSettings.
#pragma once

#include <QSettings>
#include <QString>

#include "platform/ui_services.h"

class QWidget;

namespace platform {

class QtDialogServices : public DialogServices {
 public:
  // The window the boxes and choosers open over; none: they open on their own.
  void SetOwner(QWidget* owner) { owner_ = owner; }
  bool ChooseSourceFile(const std::string& start_folder, std::string& chosen) override;
  bool ChooseFolder(const std::string& start_folder, std::string& chosen) override;
  void ShowFileError(const std::string& file, const std::string& reason) override;
  void ShowMessage(const std::string& text) override;
  void Beep() override;
  void SetWaitCursor(bool waiting) override;
  bool CanWriteFolder(const std::string& folder) override;
  std::string HomeFolder() override;

 private:
  QWidget* owner_ = nullptr;
  int cursor_depth_ = 0;  // override cursors pushed and not yet restored
};

// QSettings of organisation "Ferrowind" and application application, group "Shapewright"
// (on Linux the INI-format file <configuration folder>/Ferrowind/<application>.conf).
class QtSettingsStore : public SettingsStore {
 public:
  explicit QtSettingsStore(const QString& application);
  std::string ReadString(const std::string& key, const std::string& fallback) override;
  // Written to disk at once, so that the values survive however the program ends.
  void WriteString(const std::string& key, const std::string& value) override;

 private:
  QSettings settings_;
};

// The executable's base name: the application name under which the settings are kept.
QString ProgramBaseName();

// 8-bit text of the core (UTF-8 here) and Qt strings.
QString ToQString(const std::string& text);
std::string FromQString(const QString& text);

}  // namespace platform
