// Whole-file reads, and replacement through a temporary file and a move, over the calls of
// file_calls.h.
#include "tools/texconv/file_io.h"

#include <atomic>
#include <cerrno>
#include <cstring>

#include "tools/texconv/file_calls.h"

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
  return folder + "." + name + "." + std::to_string(calls::ProcessId()) + "." +
         std::to_string(counter.fetch_add(1)) + ".tmp";
}

bool WriteAll(int fd, const uint8_t* bytes, size_t size) {
  while (size > 0) {
    int64_t written = calls::WriteSome(fd, bytes, size);
    if (written <= 0) return false;
    bytes += written;
    size -= size_t(written);
  }
  return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason) {
  int fd = calls::OpenToRead(path);
  if (fd < 0) {
    reason = errno == EISDIR ? "not a regular file" : DescribeReadErrno("cannot open");
    return false;
  }
  uint64_t size = 0;
  if (!calls::RegularFileSize(fd, size)) {
    reason = "not a regular file";
    calls::Close(fd);
    return false;
  }
  if (size > kMaxReadFileSize) {
    reason = "file too large";
    calls::Close(fd);
    return false;
  }
  std::vector<uint8_t> content(static_cast<size_t>(size));
  size_t done = 0;
  while (done < content.size()) {
    int64_t got = calls::ReadSome(fd, content.data() + done, content.size() - done);
    if (got < 0) {
      reason = DescribeReadErrno("cannot read");
      calls::Close(fd);
      return false;
    }
    if (got == 0) break;  // the file shrank while being read
    done += size_t(got);
  }
  calls::Close(fd);
  content.resize(done);
  bytes = std::move(content);
  return true;
}

bool OpenReplacement(const std::string& path, ReplacementFile& file, std::string& reason) {
  file.path = path;
  file.fd = -1;
  for (int attempt = 0; attempt < 100 && file.fd < 0; ++attempt) {
    file.temporary = MakeTemporaryPath(path);
    file.fd = calls::CreateNew(file.temporary);
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
  if (calls::Close(fd) != 0) {
    reason = DescribeErrno("cannot write", file.path);
    calls::Remove(file.temporary);
    return false;
  }
  if (!calls::MoveReplacing(file.temporary, file.path)) {
    reason = DescribeErrno("cannot rename to", file.path);
    calls::Remove(file.temporary);
    return false;
  }
  return true;
}

void AbandonReplacement(ReplacementFile& file) {
  if (file.fd >= 0) calls::Close(file.fd);
  file.fd = -1;
  calls::Remove(file.temporary);
}

bool ReplaceFileContent(const std::string& path, const uint8_t* bytes, size_t size,
                        std::string& reason) {
  ReplacementFile file;
  if (!OpenReplacement(path, file, reason)) return false;
  if (!WriteReplacement(file, bytes, size, reason)) {
    AbandonReplacement(file);
    return false;
  }
  return CommitReplacement(file, reason);
}

}  // namespace texconv
