// Between the program's UTF-8 paths with "/" and the wide paths the system calls take.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace platform {

// UTF-8 text as wide text, and back.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// path as the wide calls take it: each "/" a "\", and a path too long for the classic limit
// made absolute behind "\\?\" (or "\\?\UNC\" for a share), which lifts that limit.
std::wstring SystemPath(const std::string& path);
// path always in the long form: for walks that go deeper than the path they start from.
std::wstring LongSystemPath(const std::string& path);

// A path the system gave, in this program's form: UTF-8 with "/", without a "\\?\" prefix.
std::string ProgramPath(std::wstring_view path);

// What the system error code means, in the words the Linux side uses where there are any
// ("No such file or directory"); a file another program holds is named as such.
std::string DescribeSystemError(DWORD code);

// Closes a handle when it goes.
struct OwnedHandle {
  HANDLE handle = INVALID_HANDLE_VALUE;
  explicit OwnedHandle(HANDLE h) : handle(h) {}
  ~OwnedHandle() {
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr) ::CloseHandle(handle);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  bool valid() const { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
};

}  // namespace platform
