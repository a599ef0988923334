// shapewright: the desktop converter, one dialog.
//   shapewright [FILE]    FILE as if Browse had chosen it (the desktop's "open with")
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/convert_app.h"
#include "platform/version_info.h"

int main(int argc, char** argv) {
  using Action = DialogCommandLine::Action;
  // Answered before Qt starts, so that they need no display.
  DialogCommandLine early = ParseDialogCommandLine({argv + 1, argv + argc});
  if (early.action == Action::kHelp) {
    std::fputs(kDialogUsage, stdout);
    return 0;
  }
  if (early.action == Action::kVersion) {
    CVersionInfo version;
    version.ReadFromModule(nullptr);
    std::printf("%s %s\n", version.GetFileDescription().c_str(), version.GetFileVersion().c_str());
    return 0;
  }
  // Takes Qt's own options out of argv.
  QApplication application(argc, argv);
  DialogCommandLine command = ParseDialogCommandLine({argv + 1, argv + argc});
  if (command.action != Action::kShowDialog) {
    std::fprintf(stderr, "shapewright: %s (see --help)\n", command.problem.c_str());
    return 2;
  }
  CConvertApp app;
  app.InitInstance(command.file);
  return 0;
}
