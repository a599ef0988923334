// Folders on Windows. A run's working folder is held by a lock file opened without sharing:
// the system lets it go when the process ends, however it ends.
#include <windows.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <random>

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/internal.h"
#include "platform/interrupts.h"
#include "platform/win/wide.h"

#undef ReplaceFile  // the system's name of ReplaceFileW; ours keeps its name

namespace platform {
namespace {

// The entries of folder (without "." and ".."); false with the system's reason.
bool ReadFolder(const std::string& folder, std::vector<WIN32_FIND_DATAW>& entries,
                std::string& error) {
  WIN32_FIND_DATAW entry;
  HANDLE find = ::FindFirstFileExW(SystemPath(folder + "/*").c_str(), FindExInfoBasic, &entry,
                                   FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) {
    error = DescribeSystemError(::GetLastError());
    return false;
  }
  do {
    std::wstring_view name = entry.cFileName;
    if (name != L"." && name != L"..") entries.push_back(entry);
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  return true;
}

bool Walk(const std::string& folder, const std::string& relative, std::vector<std::string>& files,
          std::string& error_path, std::string& error) {
  std::string here = relative.empty() ? folder : folder + "/" + relative;
  std::vector<WIN32_FIND_DATAW> entries;
  if (!ReadFolder(here, entries, error)) {
    error_path = here;
    return false;
  }
  std::vector<std::string> folders;
  for (const WIN32_FIND_DATAW& entry : entries) {
    std::string name = Utf8FromWide(entry.cFileName);
    std::string path = relative.empty() ? name : relative + "/" + name;
    bool is_folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A link or junction to a folder is not followed, so that the walk cannot loop.
    bool is_link = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (is_folder && !is_link) folders.push_back(path);
    if (!is_folder) files.push_back(path);
  }
  for (const std::string& sub : folders) {
    if (!Walk(folder, sub, files, error_path, error)) return false;
  }
  return true;
}

constexpr const char* kWorkingPrefix = ".shapewright-";
constexpr const char* kLockName = "/.lock";
// A working folder without its lock is someone's only in the moment between making the folder
// and the lock; past this age it is left over from an older run.
constexpr int64_t kUnlockedGraceSeconds = 3600;

std::mutex held_mutex;
std::map<std::string, HANDLE>& HeldLocks() {
  static std::map<std::string, HANDLE> held;  // folder, the handle holding its lock
  return held;
}

// The lock file, opened for this process alone; INVALID_HANDLE_VALUE when another holds it.
HANDLE OpenLock(const std::string& folder, DWORD disposition) {
  return ::CreateFileW(SystemPath(folder + kLockName).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                       nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int64_t SecondsSinceWritten(const WIN32_FIND_DATAW& entry) {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  auto ticks = [](const FILETIME& time) {
    return static_cast<int64_t>(uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
  };
  return (ticks(now) - ticks(entry.ftLastWriteTime)) / 10000000;
}

}  // namespace

// By hand rather than through std::filesystem, which loops on paths in the "\\\\?\\" form.
// Links and junctions are removed, never followed.
void RemoveTree(const std::string& folder) {
  std::vector<WIN32_FIND_DATAW> entries;
  std::string error;
  if (ReadFolder(folder, entries, error)) {
    for (const WIN32_FIND_DATAW& entry : entries) {
      std::string path = folder + "/" + Utf8FromWide(entry.cFileName);
      bool is_folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      bool is_link = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      if (is_folder && !is_link) {
        RemoveTree(path);
      } else if (is_folder) {
        ::RemoveDirectoryW(SystemPath(path).c_str());
      } else {
        ::SetFileAttributesW(SystemPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(SystemPath(path).c_str());
      }
    }
  }
  ::RemoveDirectoryW(SystemPath(folder).c_str());
}

PathKind KindOfPath(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kFolder : PathKind::kFile;
}

bool ListFilesBelow(const std::string& folder, std::vector<std::string>& files,
                    std::string& error_path, std::string& error,
                    std::vector<std::pair<std::string, std::string>>* /*skipped*/) {
  files.clear();
  if (!Walk(folder, "", files, error_path, error)) return false;
  std::sort(files.begin(), files.end());
  return true;
}

std::string MakeTemporaryFolderIn(const std::string& parent) {
  if (Interrupted()) return std::string();
  static std::mutex random_mutex;
  static std::mt19937_64 random(std::random_device{}() ^ ::GetCurrentProcessId());
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string folder = parent + "/" + kWorkingPrefix;
    {
      std::lock_guard<std::mutex> lock(random_mutex);
      for (int i = 0; i < 6; ++i) folder += kLetters[random() % (sizeof kLetters - 1)];
    }
    if (::CreateDirectoryW(SystemPath(folder).c_str(), nullptr)) return folder;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return std::string();
}

std::string MakeWorkingFolderIn(const std::string& parent) {
  std::string folder = MakeTemporaryFolderIn(parent);
  if (folder.empty()) return folder;
  HANDLE lock = OpenLock(folder, CREATE_NEW);
  if (lock == INVALID_HANDLE_VALUE) {
    ::RemoveDirectoryW(SystemPath(folder).c_str());
    return std::string();
  }
  {
    std::lock_guard<std::mutex> guard(held_mutex);
    HeldLocks()[folder] = lock;
  }
  RemoveOnInterrupt(folder);
  return folder;
}

void RemoveWorkingFolder(const std::string& folder) {
  ForgetOnInterrupt(folder);
  {
    // An open file cannot be removed here: the lock goes first.
    std::lock_guard<std::mutex> guard(held_mutex);
    auto held = HeldLocks().find(folder);
    if (held != HeldLocks().end()) {
      ::CloseHandle(held->second);
      HeldLocks().erase(held);
    }
  }
  RemoveTree(folder);
}

void RemoveAbandonedWorkingFolders(const std::string& parent) {
  std::vector<WIN32_FIND_DATAW> entries;
  std::string error;
  if (!ReadFolder(parent, entries, error)) return;
  for (const WIN32_FIND_DATAW& entry : entries) {
    std::string name = Utf8FromWide(entry.cFileName);
    if (name.rfind(kWorkingPrefix, 0) != 0) continue;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
    std::string folder = parent + "/" + name;
    HANDLE lock = OpenLock(folder, OPEN_EXISTING);
    bool abandoned =
        lock != INVALID_HANDLE_VALUE || (::GetLastError() == ERROR_FILE_NOT_FOUND &&
                                         SecondsSinceWritten(entry) > kUnlockedGraceSeconds);
    if (lock != INVALID_HANDLE_VALUE) ::CloseHandle(lock);
    if (abandoned) RemoveTree(folder);
  }
}

// A target another program holds open refuses the move as "access denied"; the user is told
// that it is in use, which is what it is.
bool ReplaceFile(const std::string& from, const std::string& to, std::string& error) {
  if (::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
    return true;
  DWORD code = ::GetLastError();
  if (code == ERROR_ACCESS_DENIED) {
    OwnedHandle target(::CreateFileW(SystemPath(to).c_str(), DELETE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!target.valid() && ::GetLastError() == ERROR_SHARING_VIOLATION)
      code = ERROR_SHARING_VIOLATION;
  }
  error = DescribeSystemError(code);
  return false;
}

bool MoveFolder(const std::string& from, const std::string& to, std::string& error) {
  // Without MOVEFILE_REPLACE_EXISTING a folder already at to makes the move fail.
  if (::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), 0)) return true;
  error = DescribeSystemError(::GetLastError());
  return false;
}

bool CopyFileOver(const std::string& from, const std::string& to, std::string& error) {
  // A private name beside to first, so that to is never seen half copied.
  std::wstring partial = SystemPath(to + ".partial");
  if (::CopyFileW(SystemPath(from).c_str(), partial.c_str(), FALSE) &&
      ::MoveFileExW(partial.c_str(), SystemPath(to).c_str(), MOVEFILE_REPLACE_EXISTING))
    return true;
  error = DescribeSystemError(::GetLastError());
  ::DeleteFileW(partial.c_str());
  return false;
}

}  // namespace platform
