// The desktop services of the dialog on Win32: the system's own file and folder choosers
// (IFileOpenDialog), message boxes, MessageBeep, the wait cursor, and the settings in the
// registry.
#pragma once

#include <windows.h>

#include "platform/ui_services.h"

namespace platform {

class WinDialogServices : public DialogServices {
 public:
  // The window the boxes and choosers open over; none: they open on their own.
  void SetOwner(HWND owner) { owner_ = owner; }
  bool ChooseSourceFile(const std::string& start_folder, std::string& chosen) override;
  bool ChooseFolder(const std::string& start_folder, std::string& chosen) override;
  void ShowFileError(const std::string& file, const std::string& reason) override;
  void ShowMessage(const std::string& text) override;
  void Beep() override;
  void SetWaitCursor(bool waiting) override;
  bool CanWriteFolder(const std::string& folder) override;
  std::string HomeFolder() override;

 private:
  HWND owner_ = nullptr;
};

// The values of HKEY_CURRENT_USER\Software\Ferrowind\Shapewright, as REG_SZ. The values are
// paths: kept with "\" as Windows shows them, read back with "/".
class RegistrySettingsStore : public SettingsStore {
 public:
  std::string ReadString(const std::string& key, const std::string& fallback) override;
  void WriteString(const std::string& key, const std::string& value) override;
};

// A path of the program ("/" between folders) as Windows shows it, with "\".
std::wstring ShownPath(const std::string& path);

}  // namespace platform
