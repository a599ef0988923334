// What both systems share of whole-file reading.
#include "platform/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/files.h"

namespace platform {

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error,
                   uint64_t max_bytes) {
  bytes.clear();
  uint64_t size = 0;
  std::FILE* file = OpenRegularFile(path, error, size);
  if (file == nullptr) return false;
  if (size > max_bytes) {
    error = "larger than " + std::to_string(max_bytes) + " bytes";
    std::fclose(file);
    return false;
  }
  // The size may change under us: read what is there, up to the size first seen.
  bytes.resize(static_cast<size_t>(size));
  size_t done = std::fread(bytes.data(), 1, bytes.size(), file);
  bool failed = std::ferror(file) != 0;
  if (failed) error = std::strerror(errno);
  std::fclose(file);
  bytes.resize(done);
  return !failed;
}

}  // namespace platform
