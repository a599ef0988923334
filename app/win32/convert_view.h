// The main dialog on Win32: template 102 built in memory, a thin view over DialogController.
// WM_COMMAND and the system menu's entries become the controller's commands; the view shows
// the fields, buttons and log the controller gives it, painting new log lines at most 25
// times a second. A file dropped on the window opens as Browse would.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <string_view>

#include "app/dialog_controller.h"
#include "platform/win_services.h"

class CConvertView : private DialogView {
 public:
  // System menu commands (below 0xF000, low four bits clear).
  static constexpr UINT kAboutCommand = 0x0010;
  static constexpr UINT kPreviewCommand = 0x0020;

  CConvertView(platform::WinDialogServices& services, platform::SettingsStore& settings);

  // Runs the dialog modally until it closes; a file given opens once it shows.
  INT_PTR Run(const std::string& file);

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnInitDialog();
  void OnCommand(int id, int code);
  void OnDropFiles(HDROP drop);
  void AddMenuEntries();
  HWND Control(int id) const { return GetDlgItem(window_, id); }

  // DialogView
  std::string FieldText(int id) override;
  void SetFieldText(int id, const std::string& text) override;
  void EnableButton(int id, bool enabled) override;
  std::string LogPaneText() override;
  void ReplaceLogPane(const std::string& text) override;
  void AppendLogPane(std::string_view text) override;
  void PaintLogPane() override;
  void FocusField(int id) override;
  void EnablePreview(bool enabled) override;
  void ShowPreview(const std::string& model_path) override;
  void ShowAbout(const std::string& version_line) override;

  platform::WinDialogServices& services_;
  DialogController controller_;
  HWND window_ = nullptr;
  std::string open_file_;  // handed over at start, opened once the dialog shows

  bool writing_log_ = false;  // the pane's own changes are not the user's edits
};
