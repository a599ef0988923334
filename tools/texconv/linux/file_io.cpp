// The texture library's file calls on Linux; descriptors close on exec.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "tools/texconv/file_calls.h"
#include "tools/texconv/file_io.h"

namespace texconv {

std::vector<std::string> ReadProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

namespace calls {

int OpenToRead(const std::string& path) { return open(path.c_str(), O_RDONLY | O_CLOEXEC); }

int CreateNew(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

bool RegularFileSize(int fd, uint64_t& size) {
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  size = uint64_t(info.st_size);
  return true;
}

int64_t ReadSome(int fd, uint8_t* bytes, size_t size) {
  ssize_t got;
  while ((got = read(fd, bytes, size)) < 0 && errno == EINTR) {
  }
  return got;
}

int64_t WriteSome(int fd, const uint8_t* bytes, size_t size) {
  ssize_t put;
  while ((put = write(fd, bytes, size)) < 0 && errno == EINTR) {
  }
  return put;
}

int Close(int fd) { return close(fd); }

bool MoveReplacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

void Remove(const std::string& path) { unlink(path.c_str()); }

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

}  // namespace calls
}  // namespace texconv
