// Windows file access: the wide calls of the C runtime, handles not inherited by programs the
// caller starts, and replacement through a temporary file and a replacing move.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "tools/texconv/file_io.h"
#include "tools/wide_path.h"

namespace texconv {
namespace {

std::string DescribeErrno(const char* what, const std::string& path) {
  return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// Read errors leave the path out: the caller names the file it asked for.
std::string DescribeReadErrno(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

// A name in path's folder that no other writer (thread or process) picks at the same time.
std::string MakeTemporaryPath(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  size_t slash = path.find_last_of("/\\");
  std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + name + "." + std::to_string(::GetCurrentProcessId()) + "." +
         std::to_string(counter.fetch_add(1)) + ".tmp";
}

bool WriteAll(int fd, const uint8_t* bytes, size_t size) {
  while (size > 0) {
    unsigned chunk = static_cast<unsigned>(size < (1u << 30) ? size : (1u << 30));
    int written = ::_write(fd, bytes, chunk);
    if (written <= 0) return false;
    bytes += written;
    size -= size_t(written);
  }
  return true;
}

}  // namespace

std::vector<std::string> ReadProgramArguments(int argc, char** argv) {
  return tools::WideArguments(argc, argv);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason) {
  // A folder does not open here at all; say what it is, as Linux's check after opening does.
  DWORD attributes = ::GetFileAttributesW(tools::WidePath(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    reason = "not a regular file";
    return false;
  }
  int fd = ::_wopen(tools::WidePath(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) {
    reason = DescribeReadErrno("cannot open");
    return false;
  }
  struct _stat64 info;
  if (::_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
    reason = "not a regular file";
    ::_close(fd);
    return false;
  }
  if (uint64_t(info.st_size) > kMaxReadFileSize) {
    reason = "file too large";
    ::_close(fd);
    return false;
  }
  std::vector<uint8_t> content(size_t(info.st_size));
  size_t done = 0;
  while (done < content.size()) {
    unsigned chunk = static_cast<unsigned>(content.size() - done);
    int got = ::_read(fd, content.data() + done, chunk);
    if (got < 0) {
      reason = DescribeReadErrno("cannot read");
      ::_close(fd);
      return false;
    }
    if (got == 0) break;  // the file shrank while being read
    done += size_t(got);
  }
  ::_close(fd);
  content.resize(done);
  bytes = std::move(content);
  return true;
}

bool OpenReplacement(const std::string& path, ReplacementFile& file, std::string& reason) {
  file.path = path;
  file.fd = -1;
  for (int attempt = 0; attempt < 100 && file.fd < 0; ++attempt) {
    file.temporary = MakeTemporaryPath(path);
    file.fd =
        ::_wopen(tools::WidePath(file.temporary).c_str(),
                 _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (file.fd < 0 && errno != EEXIST) break;
  }
  if (file.fd < 0) {
    reason = DescribeErrno("cannot create", path);
    return false;
  }
  return true;
}

bool WriteReplacement(ReplacementFile& file, const uint8_t* bytes, size_t size,
                      std::string& reason) {
  if (WriteAll(file.fd, bytes, size)) return true;
  reason = DescribeErrno("cannot write", file.path);
  return false;
}

bool CommitReplacement(ReplacementFile& file, std::string& reason) {
  int fd = file.fd;
  file.fd = -1;
  if (::_close(fd) != 0) {
    reason = DescribeErrno("cannot write", file.path);
    ::_wunlink(tools::WidePath(file.temporary).c_str());
    return false;
  }
  if (!::MoveFileExW(tools::WidePath(file.temporary).c_str(), tools::WidePath(file.path).c_str(),
                     MOVEFILE_REPLACE_EXISTING)) {
    // A file another program holds open cannot be replaced: a sharing violation.
    DWORD error = ::GetLastError();
    errno = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ? EACCES : EIO;
    reason = DescribeErrno("cannot rename to", file.path);
    ::_wunlink(tools::WidePath(file.temporary).c_str());
    return false;
  }
  return true;
}

void AbandonReplacement(ReplacementFile& file) {
  if (file.fd >= 0) ::_close(file.fd);
  file.fd = -1;
  ::_wunlink(tools::WidePath(file.temporary).c_str());
}

}  // namespace texconv
