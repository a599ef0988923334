// For the tools' Windows file layers: UTF-8 paths as the wide calls take them. Windows only.
#pragma once

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/text.h"

namespace tools {

// path with each "/" a "\", and made absolute behind "\\?\" when too long for the classic
// limit, which lifts it.
inline std::wstring WidePath(const std::string& path) {
  std::u16string utf16 = Utf16FromUtf8(path);
  std::wstring wide(utf16.begin(), utf16.end());
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  std::vector<wchar_t> full(32768);
  DWORD got =
      ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (got == 0 || got >= full.size()) return wide;
  std::wstring absolute(full.data(), got);
  if (absolute.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + absolute.substr(2);
  return L"\\\\?\\" + absolute;
}

// The program's arguments from the wide command line, as UTF-8 with "/" for each "\\" (the C
// runtime's argv is in the ANSI code page, which cannot hold every name). The output streams
// become binary, so that they carry the same bytes as on Linux.
inline std::vector<std::string> WideArguments(int argc, char** argv) {
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    std::wstring_view argument = wide[i];
    arguments.push_back(Utf8FromUtf16(std::u16string(argument.begin(), argument.end())));
    for (char& c : arguments.back()) {
      if (c == '\\') c = '/';
    }
  }
  ::LocalFree(wide);
  return arguments;
}

}  // namespace tools
