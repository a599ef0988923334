#include "platform/win/wide.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "base/text.h"

namespace platform {
namespace {

// Below this, every call takes the path as it is; "\\?\" is needed from MAX_PATH on, and
// CreateDirectoryW wants room for an 8.3 name after a folder's path.
constexpr size_t kClassicPathLimit = MAX_PATH - 12;

bool StartsWith(std::wstring_view text, std::wstring_view head) {
  return text.substr(0, head.size()) == head;
}

std::wstring FullPath(const std::wstring& path) {
  DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::vector<wchar_t> buffer(needed);
  DWORD got = ::GetFullPathNameW(path.c_str(), needed, buffer.data(), nullptr);
  if (got == 0 || got >= needed) return path;
  return std::wstring(buffer.data(), got);
}

}  // namespace

std::wstring WideFromUtf8(std::string_view text) {
  std::u16string wide = Utf16FromUtf8(text);
  return std::wstring(wide.begin(), wide.end());
}

std::string Utf8FromWide(std::wstring_view text) {
  return Utf8FromUtf16(std::u16string(text.begin(), text.end()));
}

namespace {

std::wstring WithBackslashes(const std::string& path) {
  std::wstring wide = WideFromUtf8(path);
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return wide;
}

}  // namespace

std::wstring SystemPath(const std::string& path) {
  std::wstring wide = WithBackslashes(path);
  return wide.size() < kClassicPathLimit ? wide : LongSystemPath(path);
}

std::wstring LongSystemPath(const std::string& path) {
  std::wstring wide = WithBackslashes(path);
  if (StartsWith(wide, L"\\\\?\\")) return wide;
  std::wstring full = FullPath(wide);
  if (StartsWith(full, L"\\\\?\\")) return full;
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string ProgramPath(std::wstring_view path) {
  if (StartsWith(path, L"\\\\?\\UNC\\")) {
    path.remove_prefix(8);
    return "//" + ProgramPath(path);
  }
  if (StartsWith(path, L"\\\\?\\")) path.remove_prefix(4);
  std::string text = Utf8FromWide(path);
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  return text;
}

std::string DescribeSystemError(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return std::strerror(EACCES);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return std::strerror(EEXIST);
    case ERROR_DIRECTORY:
      return std::strerror(ENOTDIR);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::strerror(ENOSPC);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "in use by another program";
    default:
      break;
  }
  wchar_t* message = nullptr;
  DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
      reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::string text = length > 0 ? Utf8FromWide(std::wstring_view(message, length)) : "";
  if (message != nullptr) ::LocalFree(message);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
    text.pop_back();
  return text.empty() ? "system error " + std::to_string(code) : text;
}

}  // namespace platform
