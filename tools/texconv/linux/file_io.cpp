// Linux file access: whole-file reads, and replacement through a temporary file and rename.
#include "tools/texconv/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

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
  size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + name + "." + std::to_string(getpid()) + "." +
         std::to_string(counter.fetch_add(1)) + ".tmp";
}

bool WriteAll(int fd, const uint8_t* bytes, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= size_t(written);
  }
  return true;
}

}  // namespace

std::vector<std::string> ReadProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    reason = DescribeReadErrno("cannot open");
    return false;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    reason = "not a regular file";
    close(fd);
    return false;
  }
  if (uint64_t(info.st_size) > kMaxReadFileSize) {
    reason = "file too large";
    close(fd);
    return false;
  }
  std::vector<uint8_t> content(size_t(info.st_size));
  size_t done = 0;
  while (done < content.size()) {
    ssize_t got = read(fd, content.data() + done, content.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      reason = DescribeReadErrno("cannot read");
      close(fd);
      return false;
    }
    if (got == 0) break;  // the file shrank while being read
    done += size_t(got);
  }
  close(fd);
  content.resize(done);
  bytes = std::move(content);
  return true;
}

bool OpenReplacement(const std::string& path, ReplacementFile& file, std::string& reason) {
  file.path = path;
  file.fd = -1;
  for (int attempt = 0; attempt < 100 && file.fd < 0; ++attempt) {
    file.temporary = MakeTemporaryPath(path);
    file.fd = open(file.temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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
  if (close(fd) != 0) {
    reason = DescribeErrno("cannot write", file.path);
    unlink(file.temporary.c_str());
    return false;
  }
  if (rename(file.temporary.c_str(), file.path.c_str()) != 0) {
    reason = DescribeErrno("cannot rename to", file.path);
    unlink(file.temporary.c_str());
    return false;
  }
  return true;
}

void AbandonReplacement(ReplacementFile& file) {
  if (file.fd >= 0) close(file.fd);
  file.fd = -1;
  unlink(file.temporary.c_str());
}

}  // namespace texconv
