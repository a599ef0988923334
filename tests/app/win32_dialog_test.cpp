// The main dialog's Win32 view as shapewright.exe shows it, in a real window: driven from this
// process through window messages, as the user's typing and clicks arrive.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/win32/convert_view.h"
#include "platform/version_info.h"
#include "platform/win/wide.h"
#include "res/dialog_templates.h"
#include "tests/common/common.h"

namespace {

using namespace res;
constexpr wchar_t kSettingsKey[] = L"Software\\Ferrowind\\Shapewright";

// The folder of this test, where shapewright.exe is built too.
std::string TestFolder() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::string path = platform::ProgramPath(self);
  return path.substr(0, path.rfind('/'));
}

// A path as the dialog shows it, with "\".
std::string Shown(const std::string& path) {
  return platform::Utf8FromWide(platform::ShownPath(path));
}

std::string Text(HWND control) {
  std::wstring text(size_t(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  text.resize(size_t(
      SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return platform::Utf8FromWide(text);
}

std::string Setting(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  DWORD bytes = sizeof(value);
  RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, value, &bytes);
  return platform::Utf8FromWide(value);
}

// The settings start empty, as on a first start; those of the user who runs the test come back
// at its end.
struct FirstStartSettings {
  FirstStartSettings() {
    for (const wchar_t* name : {L"Source", L"Dest", L"Eng"}) {
      wchar_t value[MAX_PATH] = {};
      DWORD bytes = sizeof(value);
      if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, value,
                       &bytes) == ERROR_SUCCESS)
        kept.emplace_back(name, value);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  }
  ~FirstStartSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    for (const auto& [name, value] : kept) {
      RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), REG_SZ, value.c_str(),
                      DWORD((value.size() + 1) * sizeof(wchar_t)));
    }
  }
  std::vector<std::pair<std::wstring, std::wstring>> kept;
};

// The top-level window of process with this caption, waited for up to twenty seconds.
HWND WaitForWindow(DWORD process, const wchar_t* caption) {
  struct Search {
    DWORD process;
    const wchar_t* caption;
    HWND found;
  } search{process, caption, nullptr};
  for (int i = 0; i < 400 && search.found == nullptr; ++i) {
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          wchar_t title[64] = {};
          GetWindowTextW(window, title, 64);
          if (owner != s->process || !IsWindowVisible(window) || wcscmp(title, s->caption) != 0)
            return TRUE;
          s->found = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) Sleep(50);
  }
  return search.found;
}

// shapewright.exe with arguments, its dialog on the screen; it is told to close at the end.
struct RunningDialog {
  explicit RunningDialog(const std::string& arguments) {
    std::wstring line = L"\"" + platform::ShownPath(TestFolder() + "/shapewright.exe") + L"\" " +
                        platform::WideFromUtf8(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
      window = WaitForWindow(process.dwProcessId, L"Shapewright");
    }
  }
  ~RunningDialog() {
    if (process.hProcess == nullptr) return;
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
      TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  HWND Control(int id) const { return GetDlgItem(window, id); }
  void Type(int id, const std::string& text) {
    SendMessageW(Control(id), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(platform::WideFromUtf8(text).c_str()));
  }
  // Returns once the command has run: the message is handled in the dialog's thread.
  void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
  bool Closed() { return WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0; }

  PROCESS_INFORMATION process{};
  HWND window = nullptr;
};

// Started with a description file, which opens as Browse would; then a conversion, the about
// box from the system menu, and Close, which keeps the fields in the registry.
TEST(Win32Dialog, OpensConvertsShowsAboutAndSavesTheSettings) {
  FirstStartSettings first_start;
  test::TempFolder folder;
  const std::string shape =
      folder.Write("hierarchy.s", test::ShapeText(test::ReadTestData("hierarchy.s.txt")));
  const std::string eng =
      folder.Write("Steam.ENG", test::ShapeText(test::ReadTestData("steam.eng.txt")));
  RunningDialog ui("\"" + eng + "\"");
  ASSERT_NE(ui.window, nullptr);
  std::string source;
  for (int i = 0; i < 100 && source.empty(); ++i, Sleep(50)) source = Text(ui.Control(kIdSource));
  EXPECT_EQ(source, Shown(shape));
  EXPECT_EQ(Text(ui.Control(kIdLength)), "14.5");
  // A first start offers the program's folder.
  EXPECT_EQ(Text(ui.Control(kIdOutputDirectory)), Shown(TestFolder()));
  ui.Type(kIdOutputDirectory, folder.path());
  ui.Click(kIdTwoFoot);
  ui.Click(kIdOk);
  const std::string log = Text(ui.Control(kIdLog));
  EXPECT_EQ(log.substr(0, 40), "Reading description file\r\nReading file\r\n");
  EXPECT_EQ(log.substr(log.size() - 24), "***** FINISHED *****\r\n\r\n");
  EXPECT_NE(test::ReadFile(folder.File("hierarchy.stk")).find("Length 7250\r\n"),
            std::string::npos);
  // "Preview…" and About from the system menu: the preview window, and the about box with the
  // version line of the program's VERSIONINFO.
  PostMessageW(ui.window, WM_SYSCOMMAND, CConvertView::kPreviewCommand, 0);
  HWND preview = WaitForWindow(ui.process.dwProcessId, L"Preview - hierarchy");
  ASSERT_NE(preview, nullptr);
  SendMessageW(preview, WM_CLOSE, 0, 0);
  PostMessageW(ui.window, WM_SYSCOMMAND, CConvertView::kAboutCommand, 0);
  HWND about = WaitForWindow(ui.process.dwProcessId, L"About Shapewright");
  ASSERT_NE(about, nullptr);
  CVersionInfo version;
  ASSERT_TRUE(version.ReadFromFile(TestFolder() + "/shapewright.exe"));
  EXPECT_EQ(Text(GetWindow(GetWindow(about, GW_CHILD), GW_HWNDNEXT)),
            version.ProductName + " Version " + version.FileVersion);
  SendMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
  ui.Click(kIdCancel);
  ASSERT_TRUE(ui.Closed());
  EXPECT_EQ(Setting(L"Source"), Shown(shape));
  EXPECT_EQ(Setting(L"Eng"), Shown(eng));
  EXPECT_EQ(Setting(L"Dest"), Shown(folder.path()));
}

}  // namespace
