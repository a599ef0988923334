// The shape tool's file access on Linux.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_access.h"

namespace ffedit {
namespace {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::vector<std::string> ReadProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& problem) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    problem = path + ": " + std::strerror(errno);
    return false;
  }
  uint8_t buffer[1 << 16];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + n);
  bool failed = std::ferror(file);
  std::fclose(file);
  if (failed) problem = path + ": read error";
  return !failed;
}

bool WriteFileAtomically(const std::string& path, const std::string& first, const char* rest,
                         size_t rest_size, std::string& problem) {
  std::string temporary = path + ".XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) {
    problem = path + ": " + std::strerror(errno);
    return false;
  }
  // mkstemp makes the file private; give it the permissions a new file normally gets.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  bool written = WriteAll(fd, first.data(), first.size()) && WriteAll(fd, rest, rest_size);
  int saved = errno;
  if (close(fd) != 0 && written) {
    written = false;
    saved = errno;
  }
  if (written && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  if (written) saved = errno;
  unlink(temporary.c_str());
  problem = path + ": " + std::strerror(saved);
  return false;
}

}  // namespace ffedit
