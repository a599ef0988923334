// What the main dialog asks of the desktop: choosers, message boxes, the beep, the wait
// cursor and the settings store. The dialog gets them through these interfaces so that tests
// put stand-ins in their place; platform/qt_services.h has the Qt ones. The boxes and choosers
// open over the window the services were given by their view.
#pragma once

#include <string>

namespace platform {

class DialogServices {
 public:
  virtual ~DialogServices() = default;
  // The file chooser "Import Shape:", starting in start_folder. False when cancelled.
  virtual bool ChooseSourceFile(const std::string& start_folder, std::string& chosen) = 0;
  // The folder browser "Select Folder", starting at start_folder. False when cancelled.
  virtual bool ChooseFolder(const std::string& start_folder, std::string& chosen) = 0;
  // The file-error box: the file and the system's reason.
  virtual void ShowFileError(const std::string& file, const std::string& reason) = 0;
  // A message box with an OK button, such as "Please enter a number.".
  virtual void ShowMessage(const std::string& text) = 0;
  virtual void Beep() = 0;
  // Shows the wait cursor while waiting is true, the arrow again when it is false.
  virtual void SetWaitCursor(bool waiting) = 0;
  // Whether the user may create files in folder (false when it does not exist).
  virtual bool CanWriteFolder(const std::string& folder) = 0;
  // The user's home folder.
  virtual std::string HomeFolder() = 0;
};

// Three string values of one section: "Source", "Dest" and "Eng" of "Shapewright".
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The value of key, or fallback when it is missing.
  virtual std::string ReadString(const std::string& key, const std::string& fallback) = 0;
  // Writes key = value; failures of the store pass silently.
  virtual void WriteString(const std::string& key, const std::string& value) = 0;
};

}  // namespace platform
