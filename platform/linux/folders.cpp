// Folders on Linux.
#include "platform/folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/internal.h"
#include "platform/interrupts.h"

namespace platform {
namespace {

// Appends the files below folder + "/" + relative to files; false on a folder that cannot be read.
bool Walk(const std::string& folder, const std::string& relative, std::vector<std::string>& files,
          std::string& error_path, std::string& error,
          std::vector<std::pair<std::string, std::string>>* skipped) {
  std::string here = relative.empty() ? folder : folder + "/" + relative;
  DIR* dir = ::opendir(here.c_str());
  if (dir == nullptr) {
    error_path = here;
    error = std::strerror(errno);
    return false;
  }
  std::vector<std::string> folders;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string path = relative.empty() ? name : relative + "/" + name;
    struct stat info;
    if (::lstat((folder + "/" + path).c_str(), &info) != 0) {
      if (skipped != nullptr) skipped->emplace_back(folder + "/" + path, std::strerror(errno));
      continue;
    }
    if (S_ISDIR(info.st_mode)) {
      folders.push_back(path);
    } else if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) {
      struct stat target;
      bool leads_to_folder = S_ISLNK(info.st_mode) &&
                             ::stat((folder + "/" + path).c_str(), &target) == 0 &&
                             S_ISDIR(target.st_mode);
      if (!leads_to_folder) files.push_back(path);
    }
  }
  ::closedir(dir);
  for (const std::string& sub : folders) {
    if (!Walk(folder, sub, files, error_path, error, skipped)) return false;
  }
  return true;
}

}  // namespace

PathKind KindOfPath(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) == 0)
    return S_ISDIR(info.st_mode) ? PathKind::kFolder : PathKind::kFile;
  if (::lstat(path.c_str(), &info) == 0) return PathKind::kFile;
  return PathKind::kMissing;
}

bool ListFilesBelow(const std::string& folder, std::vector<std::string>& files,
                    std::string& error_path, std::string& error,
                    std::vector<std::pair<std::string, std::string>>* skipped) {
  files.clear();
  if (!Walk(folder, "", files, error_path, error, skipped)) return false;
  std::sort(files.begin(), files.end());
  return true;
}

std::string MakeTemporaryFolderIn(const std::string& parent) {
  if (Interrupted()) return std::string();
  std::string pattern = parent + "/.shapewright-XXXXXX";
  char* made = ::mkdtemp(pattern.data());
  return made != nullptr ? std::string(made) : std::string();
}

namespace {

constexpr const char* kWorkingPrefix = ".shapewright-";
constexpr const char* kLockName = "/.lock";
// A working folder without its lock is someone's only in the moment between making the folder
// and the lock; past this age it is left over from an older run.
constexpr time_t kUnlockedGraceSeconds = 3600;

std::mutex held_mutex;
std::map<std::string, int>& HeldLocks() {
  static std::map<std::string, int> held;  // folder, the descriptor holding its lock
  return held;
}

}  // namespace

std::string MakeWorkingFolderIn(const std::string& parent) {
  std::string folder = MakeTemporaryFolderIn(parent);
  if (folder.empty()) return folder;
  int fd = ::open((folder + kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (fd >= 0) ::close(fd);
    ::rmdir(folder.c_str());
    return std::string();
  }
  {
    std::lock_guard<std::mutex> lock(held_mutex);
    HeldLocks()[folder] = fd;
  }
  RemoveOnInterrupt(folder);
  return folder;
}

void RemoveWorkingFolder(const std::string& folder) {
  ForgetOnInterrupt(folder);
  RemoveTree(folder);
  std::lock_guard<std::mutex> lock(held_mutex);
  auto held = HeldLocks().find(folder);
  if (held == HeldLocks().end()) return;
  ::close(held->second);
  HeldLocks().erase(held);
}

void RemoveAbandonedWorkingFolders(const std::string& parent) {
  DIR* dir = ::opendir(parent.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> candidates;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strncmp(entry->d_name, kWorkingPrefix, std::strlen(kWorkingPrefix)) == 0)
      candidates.push_back(parent + "/" + entry->d_name);
  }
  ::closedir(dir);
  for (const std::string& folder : candidates) {
    struct stat info;
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
    int fd = ::open((folder + kLockName).c_str(), O_RDONLY | O_CLOEXEC);
    bool abandoned =
        fd >= 0 ? ::flock(fd, LOCK_EX | LOCK_NB) == 0
                : errno == ENOENT && ::time(nullptr) - info.st_mtime > kUnlockedGraceSeconds;
    if (abandoned) RemoveTree(folder);
    if (fd >= 0) ::close(fd);
  }
}

bool ReplaceFile(const std::string& from, const std::string& to, std::string& error) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  error = std::strerror(errno);
  return false;
}

bool MoveFolder(const std::string& from, const std::string& to, std::string& error) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  error = std::strerror(errno);
  return false;
}

bool CopyFileOver(const std::string& from, const std::string& to, std::string& error) {
  // A private name beside to first, so that to is never seen half copied.
  std::string partial = to + ".partial-XXXXXX";
  int fd = ::mkstemp(partial.data());
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  ::close(fd);
  std::error_code code;
  bool copied = std::filesystem::copy_file(from, partial,
                                           std::filesystem::copy_options::overwrite_existing, code);
  if (copied && std::rename(partial.c_str(), to.c_str()) == 0) return true;
  error = copied ? std::strerror(errno) : code.message();
  ::unlink(partial.c_str());
  return false;
}

}  // namespace platform
