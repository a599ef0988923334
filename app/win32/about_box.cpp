#include "app/win32/about_box.h"

#include "platform/version_info.h"
#include "platform/win/wide.h"
#include "platform/win_dialog.h"
#include "res/dialog_templates.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) {
    // The controls have no ids of their own: the version line is the one after the icon.
    HWND line = GetWindow(GetWindow(dialog, GW_CHILD), GW_HWNDNEXT);
    CVersionInfo version;
    if (line != nullptr && version.ReadFromModule(nullptr)) {
      std::string text = version.ProductName + " Version " + version.GetFileVersion();
      SetWindowTextW(line, platform::WideFromUtf8(text).c_str());
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

void RunAboutBox(HWND owner) {
  platform::RunTemplateDialog(res::kAboutDialog, owner, AboutProc, 0);
}
