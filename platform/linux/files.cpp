// Files on Linux.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/text.h"
#include "platform/interrupts.h"

namespace platform {
namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

bool EqualIgnoringCase(const std::string& a, const char* b) {
  size_t n = a.size();
  for (size_t i = 0; i < n; ++i) {
    if (b[i] == '\0') return false;
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return b[n] == '\0';
}

// The entry of folder whose name matches name without regard to case; the first in byte
// order when there are several, so that the choice does not depend on the directory's order,
// and then the second in other.
bool FindEntryIgnoringCase(const std::string& folder, const std::string& name, std::string& found,
                           std::string& other) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return false;
  std::vector<std::string> matches;
  while (dirent* entry = ::readdir(dir)) {
    if (EqualIgnoringCase(name, entry->d_name)) matches.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  if (matches.empty()) return false;
  std::sort(matches.begin(), matches.end());
  found = matches[0];
  if (matches.size() > 1) other = matches[1];
  return true;
}

}  // namespace

bool FileExists(const std::string& path) { return Exists(path); }

std::string FindPathIgnoringCase(const std::string& path, std::string* other) {
  if (other != nullptr) other->clear();
  if (path.empty() || Exists(path)) return path;
  std::string resolved;
  size_t at = 0;
  if (path[0] == '/') {
    resolved = "/";
    at = 1;
  }
  while (at <= path.size()) {
    size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    std::string component = path.substr(at, end - at);
    if (!component.empty() && component != "." && component != "..") {
      std::string exact = resolved + component;
      std::string match, second;
      if (!Exists(exact) && FindEntryIgnoringCase(resolved, component, match, second)) {
        if (other != nullptr && other->empty() && !second.empty()) *other = resolved + second;
        component = match;
      } else if (!Exists(exact)) {
        if (other != nullptr) other->clear();
        return path;  // nothing matches: the caller reports the file under its own name
      }
    }
    resolved += component;
    if (end < path.size()) resolved += '/';
    at = end + 1;
  }
  return resolved;
}

namespace {

const char* KindOfNonRegular(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "something else";
}

}  // namespace

std::FILE* OpenRegularFile(const std::string& path, std::string& reason, uint64_t& size) {
  // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    reason = std::strerror(errno);
    return nullptr;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    reason = std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    reason = std::string(KindOfNonRegular(info.st_mode)) + ", not a regular file";
    ::close(fd);
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  size = static_cast<uint64_t>(info.st_size);
  return file;
}

std::FILE* CreateFileForWriting(const std::string& path) { return std::fopen(path.c_str(), "wbe"); }

bool IdentifyFile(const std::string& path, FileIdentity& identity) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return false;
  identity.device = static_cast<uint64_t>(info.st_dev);
  identity.inode = static_cast<uint64_t>(info.st_ino);
  return true;
}

bool IdentifyOpenFile(std::FILE* file, FileIdentity& identity) {
  struct stat info;
  if (::fstat(::fileno(file), &info) != 0) return false;
  if (S_ISDIR(info.st_mode)) {
    errno = EISDIR;
    return false;
  }
  identity.device = static_cast<uint64_t>(info.st_dev);
  identity.inode = static_cast<uint64_t>(info.st_ino);
  return true;
}

std::string ResolveCreatePath(const std::string& path) {
  size_t cut = path.rfind('/');
  if (cut == std::string::npos) return path;
  std::string folder = path.substr(0, cut);
  if (folder.empty()) return path;
  return FindPathIgnoringCase(folder) + path.substr(cut);
}

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::vector<char> buffer(4096);
  if (::getcwd(buffer.data(), buffer.size()) == nullptr) return path;
  std::string cwd = buffer.data();
  if (cwd.empty() || cwd.back() != '/') cwd += '/';
  return cwd + path;
}

bool CreateFolders(const std::string& path, std::string& error) {
  if (Interrupted()) {
    error = "the run was interrupted";
    return false;
  }
  std::string partial;
  for (size_t at = 0; at <= path.size(); ++at) {
    if (at == path.size() || path[at] == '/') {
      if (!partial.empty() && !Exists(partial) && ::mkdir(partial.c_str(), 0777) != 0 &&
          errno != EEXIST) {
        error = std::strerror(errno);
        return false;
      }
    }
    if (at < path.size()) partial += path[at];
  }
  // A file in the folder's place is no folder: every caller goes on to write into it.
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    error = std::strerror(ENOTDIR);
    return false;
  }
  return true;
}

bool CanWriteFolder(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
  return ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string RunningProgramPath() {
  std::vector<char> buffer(4096);
  ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return std::string();
  return std::string(buffer.data(), static_cast<size_t>(length));
}

std::string UserCacheFolder() {
  // A relative XDG path is to be ignored, as the base directory rules say.
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') return std::string(cache) + "/shapewright";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.cache/shapewright";
  return std::string();
}

}  // namespace platform
