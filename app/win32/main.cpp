// shapewright.exe: the desktop converter on Windows, one dialog.
//   shapewright [FILE]    FILE as if Browse had chosen it (Explorer's "open with")
// A program without a console: --help and --version answer in a message box.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/win32/convert_view.h"
#include "platform/version_info.h"
#include "platform/win/wide.h"
#include "platform/win_services.h"

namespace {

// The program's arguments in UTF-8, from the wide command line, without the program's name.
std::vector<std::string> ReadArguments() {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) {
    arguments.push_back(platform::Utf8FromWide(wide[i]));
  }
  LocalFree(wide);
  return arguments;
}

void ShowText(const std::string& text, UINT icon) {
  MessageBoxW(nullptr, platform::WideFromUtf8(text).c_str(), L"Shapewright", MB_OK | icon);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using Action = DialogCommandLine::Action;
  DialogCommandLine command = ParseDialogCommandLine(ReadArguments());
  if (command.action == Action::kHelp) {
    ShowText(kDialogUsage, MB_ICONINFORMATION);
    return 0;
  }
  if (command.action == Action::kVersion) {
    CVersionInfo version;
    version.ReadFromModule(nullptr);
    ShowText(version.GetFileDescription() + " " + version.GetFileVersion(), MB_ICONINFORMATION);
    return 0;
  }
  if (command.action != Action::kShowDialog) {
    ShowText("shapewright: " + command.problem + " (see --help)", MB_ICONERROR);
    return 2;
  }
  platform::WinDialogServices services;
  platform::RegistrySettingsStore settings;
  // A file given is a path the user wrote: "\" between folders there, "/" inside.
  std::string file =
      command.file.empty() ? "" : platform::ProgramPath(platform::WideFromUtf8(command.file));
  CConvertView view(services, settings);
  view.Run(file);
  return 0;
}
