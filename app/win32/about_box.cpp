#include "app/win32/about_box.h"

#include "platform/win/wide.h"
#include "platform/win_dialog.h"
#include "res/dialog_templates.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    // The controls have no ids of their own: the version line is the one after the icon.
    HWND line = GetWindow(GetWindow(dialog, GW_CHILD), GW_HWNDNEXT);
    const auto* version_line = reinterpret_cast<const std::string*>(lparam);
    if (line != nullptr && !version_line->empty()) {
      SetWindowTextW(line, platform::WideFromUtf8(*version_line).c_str());
    }
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wparam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

void RunAboutBox(HWND owner, const std::string& version_line) {
  platform::RunTemplateDialog(res::kAboutDialog, owner, AboutProc,
                              reinterpret_cast<LPARAM>(&version_line));
}
