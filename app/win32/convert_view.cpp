#include "app/win32/convert_view.h"

#include "app/win32/about_box.h"
#include "app/win32/preview_window.h"
#include "platform/win/wide.h"
#include "platform/win_dialog.h"
#include "res/dialog_templates.h"

namespace {

// Posted by WM_INITDIALOG: the file handed over at start opens once the dialog shows, so that
// its log and any file error appear over it.
constexpr UINT kOpenFileMessage = WM_APP + 1;

std::wstring WindowText(HWND control) {
  std::wstring text(size_t(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(control, text.data(), int(text.size()))));
  return text;
}

}  // namespace

CConvertView::CConvertView(platform::WinDialogServices& services, platform::SettingsStore& settings)
    : services_(services), controller_(*this, services, settings) {}

INT_PTR CConvertView::Run(const std::string& file) {
  open_file_ = file;
  return platform::RunTemplateDialog(res::kMainDialog, nullptr, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CConvertView::DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lparam);
    reinterpret_cast<CConvertView*>(lparam)->window_ = window;
  }
  auto* view = reinterpret_cast<CConvertView*>(GetWindowLongPtrW(window, DWLP_USER));
  return view == nullptr ? FALSE : view->OnMessage(message, wparam, lparam);
}

INT_PTR CConvertView::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return FALSE;  // the focus is set
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == kAboutCommand) {
        controller_.OnAbout();
        return TRUE;
      }
      if ((wparam & 0xFFF0) == kPreviewCommand) {
        controller_.OnPreview();
        return TRUE;
      }
      return FALSE;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wparam));
      return TRUE;
    case kOpenFileMessage:
      controller_.OpenSource(open_file_);
      open_file_.clear();
      return TRUE;
    default:
      (void)lparam;
      return FALSE;
  }
}

void CConvertView::OnInitDialog() {
  services_.SetOwner(window_);
  SendMessageW(window_, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(
                   platform::LoadProgramIcon(res::kMainIcon, GetSystemMetrics(SM_CXICON))));
  SendMessageW(window_, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(
                   platform::LoadProgramIcon(res::kMainIcon, GetSystemMetrics(SM_CXSMICON))));
  // The pane holds the whole log, however long, not the 30,000 characters of an edit's default.
  SendMessageW(Control(res::kIdLog), EM_SETLIMITTEXT, 0, 0);
  AddMenuEntries();
  DragAcceptFiles(window_, TRUE);
  controller_.OnInitDialog();
  SetFocus(Control(res::kIdOk));
  if (!open_file_.empty()) PostMessageW(window_, kOpenFileMessage, 0, 0);
}

// About and "Preview…" in the window's system menu, as dialogs of this kind have them.
void CConvertView::AddMenuEntries() {
  HMENU menu = GetSystemMenu(window_, FALSE);
  if (menu == nullptr) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING | MF_GRAYED, kPreviewCommand, L"Preview\u2026");
  std::wstring about = platform::WideFromUtf8(res::LoadResourceString(res::kAboutString));
  if (!about.empty()) AppendMenuW(menu, MF_STRING, kAboutCommand, about.c_str());
}

void CConvertView::OnCommand(int id, int code) {
  if (code == EN_CHANGE) {
    if (id != res::kIdLog || !writing_log_) controller_.OnFieldEdited(id);
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case res::kIdOk:  // Convert, and Enter
      controller_.OnConvert();
      break;
    case res::kIdCancel:  // Close, Escape and the close box
      controller_.OnClose();
      EndDialog(window_, IDCANCEL);
      break;
    case res::kIdBrowseSource:
      controller_.OnBrowseSource();
      break;
    case res::kIdDecompress:
      controller_.OnDecompress();
      break;
    case res::kIdBrowseOutput:
      controller_.OnBrowseOutputDirectory();
      break;
    case res::kIdTwoFoot:
      controller_.OnTwoFoot(IsDlgButtonChecked(window_, res::kIdTwoFoot) == BST_CHECKED);
      break;
    default:
      break;
  }
}

void CConvertView::OnDropFiles(HDROP drop) {
  std::wstring name(size_t(DragQueryFileW(drop, 0, nullptr, 0)) + 1, L'\0');
  name.resize(DragQueryFileW(drop, 0, name.data(), UINT(name.size())));
  DragFinish(drop);
  if (!name.empty()) controller_.OpenSource(platform::ProgramPath(name));
}

// The fields hold paths: "\" between folders on the screen, "/" inside.
std::string CConvertView::FieldText(int id) {
  return platform::ProgramPath(WindowText(Control(id)));
}

void CConvertView::SetFieldText(int id, const std::string& text) {
  HWND edit = Control(id);
  std::wstring shown = platform::ShownPath(text);
  if (WindowText(edit) == shown) return;
  SetWindowTextW(edit, shown.c_str());
  SendMessageW(edit, EM_SETSEL, 0, 0);
  // Seen at once even while a command keeps the message loop from running.
  UpdateWindow(edit);
}

void CConvertView::EnableButton(int id, bool enabled) {
  HWND button = Control(id);
  if ((IsWindowEnabled(button) != FALSE) == enabled) return;
  EnableWindow(button, enabled);
  UpdateWindow(button);
}

std::string CConvertView::LogPaneText() {
  return platform::Utf8FromWide(WindowText(Control(res::kIdLog)));
}

void CConvertView::ReplaceLogPane(const std::string& text) {
  writing_log_ = true;
  SetWindowTextW(Control(res::kIdLog), platform::WideFromUtf8(text).c_str());
  writing_log_ = false;
}

void CConvertView::AppendLogPane(std::string_view text) {
  HWND pane = Control(res::kIdLog);
  writing_log_ = true;
  int end = GetWindowTextLengthW(pane);
  SendMessageW(pane, EM_SETSEL, WPARAM(end), LPARAM(end));
  SendMessageW(pane, EM_REPLACESEL, FALSE,
               reinterpret_cast<LPARAM>(platform::WideFromUtf8(text).c_str()));
  writing_log_ = false;
}

void CConvertView::PaintLogPane() {
  HWND pane = Control(res::kIdLog);
  SendMessageW(pane, WM_VSCROLL, SB_BOTTOM, 0);
  UpdateWindow(pane);
}

void CConvertView::FocusField(int id) {
  SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
  SendMessageW(Control(id), EM_SETSEL, 0, -1);
}

void CConvertView::EnablePreview(bool enabled) {
  if (HMENU menu = GetSystemMenu(window_, FALSE)) {
    EnableMenuItem(menu, kPreviewCommand, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  }
}

void CConvertView::ShowPreview(const std::string& model_path) {
  OpenPreviewWindow(window_, model_path);
}

void CConvertView::ShowAbout(const std::string& version_line) {
  RunAboutBox(window_, version_line);
}
