// The tests' system services on Windows.
#include <windows.h>

#include <cstdlib>
#include <random>
#include <stdexcept>

#include "base/text.h"
#include "tests/common/common.h"

namespace test {
namespace {

std::wstring Wide(const std::string& text) {
  std::u16string wide = Utf16FromUtf8(text);
  return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(std::wstring_view text) {
  std::string out = Utf8FromUtf16(std::u16string(text.begin(), text.end()));
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

// argument quoted so that the C runtime of the program started splits it back unchanged.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
  line += L'"';
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

HANDLE CreateStreamFile(const std::string& path) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

TempFolder::TempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD got = ::GetTempPathW(MAX_PATH + 1, buffer);
  std::string parent = Narrow(std::wstring_view(buffer, got));
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = parent + "sw-test-" + std::to_string(random());
    if (::CreateDirectoryW(Wide(path).c_str(), nullptr)) {
      path_ = path;
      return;
    }
  }
  throw std::runtime_error("cannot make a folder in " + parent);
}

// The extra environment is set in this process for the moment of the start, and inherited.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder, const std::vector<std::string>& env) {
  TempFolder streams;
  std::wstring line;
  AppendQuoted(line, Wide(program));
  for (const std::string& arg : args) {
    line += L' ';
    AppendQuoted(line, Wide(arg));
  }
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE input = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inheritable, OPEN_EXISTING, 0, nullptr);
  HANDLE out = CreateStreamFile(streams.File("out"));
  HANDLE err = CreateStreamFile(streams.File("err"));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = out;
  startup.hStdError = err;
  std::vector<std::pair<std::string, std::string>> saved;
  for (const std::string& entry : env) {
    std::string name = entry.substr(0, entry.find('='));
    const char* old = std::getenv(name.c_str());
    saved.emplace_back(name, old != nullptr ? old : "\x01");
    SetEnv(name.c_str(), entry.c_str() + name.size() + 1);
  }
  PROCESS_INFORMATION process{};
  std::wstring directory = Wide(folder);
  bool started =
      ::CreateProcessW(Wide(program).c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       folder.empty() ? nullptr : directory.c_str(), &startup, &process) != 0;
  for (const auto& [name, old] : saved) SetEnv(name.c_str(), old == "\x01" ? nullptr : old.c_str());
  ::CloseHandle(input);
  ::CloseHandle(out);
  ::CloseHandle(err);
  ProgramRun run;
  if (!started) return run;
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  ::GetExitCodeProcess(process.hProcess, &status);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  run.status = static_cast<int>(status);
  run.out = ReadFile(streams.File("out"));
  run.err = ReadFile(streams.File("err"));
  return run;
}

UnreadableFile::UnreadableFile(const std::string& path)
    : handle_(::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
UnreadableFile::~UnreadableFile() { ::CloseHandle(static_cast<HANDLE>(handle_)); }
const char* const UnreadableFile::kReason = "in use by another program";

bool MakeFifo(const std::string& /*path*/) { return false; }

void SetEnv(const char* name, const char* value) {
  ::_putenv_s(name, value != nullptr ? value : "");
}

void* OpenLibrary(const std::string& path) {
  return reinterpret_cast<void*>(::LoadLibraryW(Wide(path).c_str()));
}

void* FindExport(void* library, const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

}  // namespace test
