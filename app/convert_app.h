// The application object: sets up the settings store, shows the main dialog modally and
// lets the program end when it closes.
#pragma once

class CConvertApp {
 public:
  // Organisation "Ferrowind", application name = the executable's base name; returns false,
  // so the program ends once the dialog has closed.
  bool InitInstance();
};
