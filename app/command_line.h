// The dialog's own command line: shapewright [--help | --version] [FILE].
#pragma once

#include <string>
#include <vector>

struct DialogCommandLine {
  enum class Action { kShowDialog, kHelp, kVersion, kWrongUsage };
  Action action = Action::kShowDialog;
  std::string file;     // opened as if Browse had chosen it; empty: none
  std::string problem;  // with kWrongUsage: what is wrong
};

// arguments without the program name. --help or --version before "--" wins over everything
// else, so that both are answered before the window system is reached (and before Qt has
// taken out its own options, which then count as wrong here). At most one FILE; "--" ends
// the options, so a file may start with "-".
DialogCommandLine ParseDialogCommandLine(const std::vector<std::string>& arguments);

// The text --help prints.
extern const char kDialogUsage[];
