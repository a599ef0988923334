// Whole files on Windows.
#include <windows.h>

#include <algorithm>

#include "platform/whole_file.h"
#include "platform/win/wide.h"

namespace platform {

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error) {
  std::wstring temporary = SystemPath(path + ".part");
  HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = DescribeSystemError(::GetLastError());
    return false;
  }
  size_t done = 0;
  bool written = true;
  while (written && done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD put = 0;
    written = ::WriteFile(file, bytes.data() + done, chunk, &put, nullptr) != 0;
    done += put;
  }
  if (!written) error = DescribeSystemError(::GetLastError());
  ::CloseHandle(file);
  if (written &&
      !::MoveFileExW(temporary.c_str(), SystemPath(path).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    error = DescribeSystemError(::GetLastError());
    written = false;
  }
  if (!written) ::DeleteFileW(temporary.c_str());
  return written;
}

bool IsRegularFile(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsFolder(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace platform
