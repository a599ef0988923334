// The application object: sets up the settings store, shows the main dialog modally and
// lets the program end when it closes.
#pragma once

#include <string>

class CConvertApp {
 public:
  // Organisation "Ferrowind", application name = the executable's base name. A file given
  // (the desktop's "open with") is opened once the dialog shows, as if Browse had chosen it.
  // Returns false, so the program ends once the dialog has closed.
  bool InitInstance(const std::string& file = std::string());
};
