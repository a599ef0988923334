// What both systems share of the shape tool's file access.
#include "file_access.h"

#include <cerrno>
#include <cstring>

namespace ffedit {

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& problem) {
  std::FILE* file = OpenToRead(path);
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

}  // namespace ffedit
