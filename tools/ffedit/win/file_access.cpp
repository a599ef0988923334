// The shape tool's file access on Windows: wide paths, handles not inherited.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_access.h"
#include "tools/wide_path.h"

namespace ffedit {
namespace {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    unsigned chunk = static_cast<unsigned>(size < (1u << 30) ? size : (1u << 30));
    int n = ::_write(fd, data, chunk);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::vector<std::string> ReadProgramArguments(int argc, char** argv) {
  return tools::WideArguments(argc, argv);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& problem) {
  FILE* file = ::_wfopen(tools::WidePath(path).c_str(), L"rbN");
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
  int fd = -1;
  std::string temporary;
  for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = path + "." + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(attempt) + ".tmp";
    fd = ::_wopen(tools::WidePath(temporary).c_str(),
                  _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    problem = path + ": " + std::strerror(errno);
    return false;
  }
  bool written = WriteAll(fd, first.data(), first.size()) && WriteAll(fd, rest, rest_size);
  int saved = errno;
  if (::_close(fd) != 0 && written) {
    written = false;
    saved = errno;
  }
  if (written && ::MoveFileExW(tools::WidePath(temporary).c_str(), tools::WidePath(path).c_str(),
                               MOVEFILE_REPLACE_EXISTING))
    return true;
  if (written) saved = EACCES;
  ::_wunlink(tools::WidePath(temporary).c_str());
  problem = path + ": " + std::strerror(saved);
  return false;
}

}  // namespace ffedit
