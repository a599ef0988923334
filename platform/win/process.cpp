// Running programs and scratch folders on Windows.
#include <windows.h>

#include <random>

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/internal.h"
#include "platform/process.h"
#include "platform/win/wide.h"

namespace platform {
namespace {

// argument quoted so that the C runtime of the program started splits it back unchanged:
// backslashes double only before a quote.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += argument;
    return;
  }
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

// The program path as the system shows it, with "\": the runtime of the program started reads
// its own name from there.
std::wstring CommandLine(const std::string& program, const std::vector<std::string>& arguments) {
  std::wstring line;
  std::wstring name = WideFromUtf8(program);
  for (wchar_t& c : name) {
    if (c == L'/') c = L'\\';
  }
  AppendQuoted(line, name);
  for (const std::string& argument : arguments) {
    line += L' ';
    AppendQuoted(line, WideFromUtf8(argument));
  }
  return line;
}

// A program named without its extension is NAME.exe, as the command prompt finds it.
std::string WithProgramExtension(const std::string& program) {
  size_t name = program.rfind('/');
  name = name == std::string::npos ? 0 : name + 1;
  return program.find('.', name) == std::string::npos ? program + ".exe" : program;
}

}  // namespace

// The child inherits the write end of the pipe and the null input and nothing else, however
// many other threads start programs at the same time: an inherited handle of another file
// would keep that file open, and another thread's pipe open, for as long as the child runs.
std::string RunCaptured(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& working_directory) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, &inheritable, 0)) return std::string();
  OwnedHandle reader(read_end), writer(write_end);
  ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  OwnedHandle input(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  &inheritable, OPEN_EXISTING, 0, nullptr));
  if (!input.valid()) return std::string();

  HANDLE inherited[] = {input.handle, write_end};
  SIZE_T size = 0;
  ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<char> attribute_memory(size);
  auto attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attribute_memory.data());
  if (!::InitializeProcThreadAttributeList(attributes, 1, 0, &size)) return std::string();
  ::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                              sizeof inherited, nullptr, nullptr);

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = input.handle;
  startup.StartupInfo.hStdOutput = write_end;
  startup.StartupInfo.hStdError = write_end;
  startup.lpAttributeList = attributes;
  std::wstring line = CommandLine(program, arguments);
  std::wstring application = SystemPath(WithProgramExtension(program));
  std::wstring folder = SystemPath(working_directory);
  PROCESS_INFORMATION process{};
  bool started = ::CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, TRUE,
                                  CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                                  working_directory.empty() ? nullptr : folder.c_str(),
                                  &startup.StartupInfo, &process) != 0;
  ::DeleteProcThreadAttributeList(attributes);
  // The pipe breaks once the child and its heirs have gone.
  ::CloseHandle(writer.handle);
  writer.handle = INVALID_HANDLE_VALUE;
  std::string output;
  if (!started) return output;
  OwnedHandle child(process.hProcess), thread(process.hThread);
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0)
    output.append(buffer, got);
  ::WaitForSingleObject(child.handle, INFINITE);
  return output;
}

std::string MakeTemporaryFolder() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD got = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (got == 0 || got > MAX_PATH) return std::string();
  std::string parent = ProgramPath(std::wstring_view(buffer, got));
  while (!parent.empty() && parent.back() == '/') parent.pop_back();
  return MakeTemporaryFolderIn(parent);
}

void RemoveFolder(const std::string& folder) {
  if (!folder.empty()) RemoveTree(folder);
}

// MoveFileExW without MOVEFILE_REPLACE_EXISTING never replaces its target. Across volumes the
// file is copied beside the target first and then moved in place, so that whoever looks for
// the target finds it complete or not at all.
bool MoveFileNoReplace(const std::string& from, const std::string& to) {
  if (::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), 0)) return true;
  if (::GetLastError() != ERROR_NOT_SAME_DEVICE) return false;
  size_t cut = to.rfind('/');
  std::string folder = cut == std::string::npos ? std::string(".") : to.substr(0, cut);
  std::string partial = folder + "/.partial-" + std::to_string(::GetCurrentProcessId()) + "-" +
                        std::to_string(std::random_device{}());
  bool moved = ::CopyFileW(SystemPath(from).c_str(), SystemPath(partial).c_str(), TRUE) &&
               ::MoveFileExW(SystemPath(partial).c_str(), SystemPath(to).c_str(), 0);
  if (!moved) {
    ::DeleteFileW(SystemPath(partial).c_str());
    return false;
  }
  ::DeleteFileW(SystemPath(from).c_str());
  return true;
}

}  // namespace platform
