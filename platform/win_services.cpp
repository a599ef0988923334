#include "platform/win_services.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "platform/files.h"
#include "platform/win/wide.h"

namespace platform {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Ferrowind\\Shapewright";
constexpr wchar_t kCaption[] = L"Shapewright";

// Releases a COM interface when it goes.
template <class Interface>
struct ComPointer {
  Interface* pointer = nullptr;
  ~ComPointer() {
    if (pointer != nullptr) pointer->Release();
  }
  Interface* operator->() const { return pointer; }
};

// Shows the system's open dialog over owner; options are added to its defaults. The chosen
// item's file-system path, "/" between folders; false when cancelled or when it fails.
bool RunFileDialog(HWND owner, const wchar_t* title, const std::string& start_folder,
                   FILEOPENDIALOGOPTIONS add, FILEOPENDIALOGOPTIONS remove,
                   const COMDLG_FILTERSPEC* types, UINT type_count, std::string& chosen) {
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  bool picked = false;
  {
    ComPointer<IFileOpenDialog> dialog;
    if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&dialog.pointer)))) {
      FILEOPENDIALOGOPTIONS options = 0;
      dialog->GetOptions(&options);
      dialog->SetOptions((options | add | FOS_FORCEFILESYSTEM) & ~remove);
      dialog->SetTitle(title);
      if (type_count > 0) dialog->SetFileTypes(type_count, types);
      ComPointer<IShellItem> folder;
      if (!start_folder.empty() &&
          SUCCEEDED(SHCreateItemFromParsingName(ShownPath(start_folder).c_str(), nullptr,
                                                IID_PPV_ARGS(&folder.pointer)))) {
        dialog->SetFolder(folder.pointer);
      }
      ComPointer<IShellItem> result;
      PWSTR path = nullptr;
      if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&result.pointer)) &&
          SUCCEEDED(result->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        chosen = ProgramPath(path);
        CoTaskMemFree(path);
        picked = true;
      }
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return picked;
}

}  // namespace

std::wstring ShownPath(const std::string& path) {
  std::wstring shown = WideFromUtf8(path);
  for (wchar_t& c : shown) {
    if (c == L'/') c = L'\\';
  }
  return shown;
}

bool WinDialogServices::ChooseSourceFile(const std::string& start_folder, std::string& chosen) {
  // One entry that lists every file, so ".s", ".eng" and ".wag" all are; the chosen name need
  // not exist, as with the Qt chooser.
  const COMDLG_FILTERSPEC types[] = {{L"MSTS Shape file", L"*.*"}};
  return RunFileDialog(owner_, L"Import Shape:", start_folder, 0, FOS_FILEMUSTEXIST, types, 1,
                       chosen);
}

bool WinDialogServices::ChooseFolder(const std::string& start_folder, std::string& chosen) {
  return RunFileDialog(owner_, L"Select Folder", start_folder, FOS_PICKFOLDERS, 0, nullptr, 0,
                       chosen);
}

void WinDialogServices::ShowFileError(const std::string& file, const std::string& reason) {
  MessageBoxW(owner_, WideFromUtf8(file + "\n" + reason + ".").c_str(), kCaption,
              MB_OK | MB_ICONERROR);
}

void WinDialogServices::ShowMessage(const std::string& text) {
  MessageBoxW(owner_, WideFromUtf8(text).c_str(), kCaption, MB_OK | MB_ICONEXCLAMATION);
}

void WinDialogServices::Beep() { MessageBeep(MB_OK); }

// A command keeps the message loop from running, so nothing sets the cursor back meanwhile.
void WinDialogServices::SetWaitCursor(bool waiting) {
  SetCursor(LoadCursorW(nullptr, waiting ? IDC_WAIT : IDC_ARROW));
}

bool WinDialogServices::CanWriteFolder(const std::string& folder) {
  return platform::CanWriteFolder(folder);
}

std::string WinDialogServices::HomeFolder() {
  PWSTR path = nullptr;
  std::string home;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &path)))
    home = ProgramPath(path);
  CoTaskMemFree(path);
  return home;
}

std::string RegistrySettingsStore::ReadString(const std::string& key, const std::string& fallback) {
  std::wstring name = WideFromUtf8(key);
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                   &bytes) != ERROR_SUCCESS) {
    return fallback;
  }
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), RRF_RT_REG_SZ, nullptr,
                   value.data(), &bytes) != ERROR_SUCCESS) {
    return fallback;
  }
  value.resize(wcsnlen(value.c_str(), value.size()));
  return ProgramPath(value);
}

void RegistrySettingsStore::WriteString(const std::string& key, const std::string& value) {
  HKEY settings = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &settings, nullptr) != ERROR_SUCCESS) {
    return;
  }
  std::wstring shown = ShownPath(value);
  RegSetValueExW(settings, WideFromUtf8(key).c_str(), 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(shown.c_str()),
                 static_cast<DWORD>((shown.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(settings);
}

}  // namespace platform
