// The texture library's file calls on Windows: the wide calls of the C runtime, handles not
// inherited by programs the caller starts, and a move that replaces its target.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

#include "tools/texconv/file_calls.h"
#include "tools/texconv/file_io.h"
#include "tools/wide_path.h"

namespace texconv {

std::vector<std::string> ReadProgramArguments(int argc, char** argv) {
  return tools::WideArguments(argc, argv);
}

namespace calls {
namespace {

// One call moves at most this much.
unsigned Chunk(size_t size) { return static_cast<unsigned>(size < (1u << 30) ? size : 1u << 30); }

}  // namespace

int OpenToRead(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(tools::WidePath(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    errno = EISDIR;
    return -1;
  }
  return ::_wopen(tools::WidePath(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int CreateNew(const std::string& path) {
  return ::_wopen(tools::WidePath(path).c_str(),
                  _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

bool RegularFileSize(int fd, uint64_t& size) {
  struct _stat64 info;
  if (::_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return false;
  size = uint64_t(info.st_size);
  return true;
}

int64_t ReadSome(int fd, uint8_t* bytes, size_t size) { return ::_read(fd, bytes, Chunk(size)); }

int64_t WriteSome(int fd, const uint8_t* bytes, size_t size) {
  return ::_write(fd, bytes, Chunk(size));
}

int Close(int fd) { return ::_close(fd); }

// A file another program holds open cannot be replaced: a sharing violation.
bool MoveReplacing(const std::string& from, const std::string& to) {
  if (::MoveFileExW(tools::WidePath(from).c_str(), tools::WidePath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING))
    return true;
  DWORD error = ::GetLastError();
  errno = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ? EACCES : EIO;
  return false;
}

void Remove(const std::string& path) { ::_wunlink(tools::WidePath(path).c_str()); }

unsigned long ProcessId() { return ::GetCurrentProcessId(); }

}  // namespace calls
}  // namespace texconv
