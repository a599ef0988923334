// Files on Windows, through the wide calls. Folders there ignore letter case already, so the
// system does the lookups that the Linux side does by hand.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "platform/interrupts.h"
#include "platform/win/wide.h"

namespace platform {
namespace {

DWORD AttributesOf(const std::string& path) {
  return ::GetFileAttributesW(SystemPath(path).c_str());
}

bool IsFolderAttribute(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IdentifyHandle(HANDLE handle, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(handle, &info)) return false;
  identity.device = info.dwVolumeSerialNumber;
  identity.inode = uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
  return true;
}

// "C:" or "//server/share": the part of an absolute path that names no folder to make.
size_t RootLength(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return 2;
  if (path.rfind("//", 0) != 0) return 0;
  size_t server_end = path.find('/', 2);
  if (server_end == std::string::npos) return path.size();
  size_t share_end = path.find('/', server_end + 1);
  return share_end == std::string::npos ? path.size() : share_end;
}

}  // namespace

bool FileExists(const std::string& path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

std::string FindPathIgnoringCase(const std::string& path, std::string* other) {
  if (other != nullptr) other->clear();
  return path;
}

std::string ResolveCreatePath(const std::string& path) { return path; }

std::FILE* OpenRegularFile(const std::string& path, std::string& reason, uint64_t& size) {
  DWORD attributes = AttributesOf(path);
  if (IsFolderAttribute(attributes)) {
    reason = "a folder, not a regular file";
    return nullptr;
  }
  // Others may read, write and rename the file meanwhile, as on Linux; the handle is not
  // inherited by the programs this one starts.
  HANDLE handle = ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    reason = DescribeSystemError(::GetLastError());
    return nullptr;
  }
  LARGE_INTEGER length;
  if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileSizeEx(handle, &length)) {
    reason = "a device, not a regular file";
    ::CloseHandle(handle);
    return nullptr;
  }
  int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    reason = std::strerror(errno);
    ::CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = ::_fdopen(fd, "rb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    ::_close(fd);
    return nullptr;
  }
  size = static_cast<uint64_t>(length.QuadPart);
  return file;
}

// "N": not inherited.
std::FILE* CreateFileForWriting(const std::string& path) {
  return ::_wfopen(SystemPath(path).c_str(), L"wbN");
}

bool IdentifyFile(const std::string& path, FileIdentity& identity) {
  OwnedHandle file(::CreateFileW(SystemPath(path).c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file.valid() && IdentifyHandle(file.handle, identity);
}

bool IdentifyOpenFile(std::FILE* file, FileIdentity& identity) {
  auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  BY_HANDLE_FILE_INFORMATION info;
  if (handle == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(handle, &info)) {
    errno = EBADF;
    return false;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    errno = EISDIR;
    return false;
  }
  return IdentifyHandle(handle, identity);
}

std::string AbsolutePath(const std::string& path) {
  bool absolute =
      (path.size() >= 3 && path[1] == ':' && path[2] == '/') || path.rfind("//", 0) == 0;
  if (absolute) return path;
  std::wstring wide = WideFromUtf8(path);
  DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::vector<wchar_t> buffer(needed);
  DWORD got = ::GetFullPathNameW(wide.c_str(), needed, buffer.data(), nullptr);
  if (got == 0 || got >= needed) return path;
  return ProgramPath(std::wstring_view(buffer.data(), got));
}

bool CreateFolders(const std::string& path, std::string& error) {
  if (Interrupted()) {
    error = "the run was interrupted";
    return false;
  }
  for (size_t at = RootLength(path); at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/') continue;
    std::string partial = path.substr(0, at);
    if (partial.empty() || partial.back() == '/') continue;
    DWORD attributes = AttributesOf(partial);
    if (attributes != INVALID_FILE_ATTRIBUTES && !IsFolderAttribute(attributes)) break;
    if (attributes != INVALID_FILE_ATTRIBUTES) continue;
    if (!::CreateDirectoryW(SystemPath(partial).c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS) {
      error = DescribeSystemError(::GetLastError());
      return false;
    }
  }
  // A file in the folder's place is no folder: every caller goes on to write into it.
  if (!IsFolderAttribute(AttributesOf(path))) {
    error = std::strerror(ENOTDIR);
    return false;
  }
  return true;
}

// The system's answer is whether a file can be made there: permissions on Windows are lists
// that only an attempt reads correctly.
bool CanWriteFolder(const std::string& path) {
  if (!IsFolderAttribute(AttributesOf(path))) return false;
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    std::string probe = path + "/.shapewright-probe-" + std::to_string(::GetCurrentProcessId()) +
                        "-" + std::to_string(attempt);
    HANDLE handle = ::CreateFileW(SystemPath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      ::CloseHandle(handle);
      return true;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

std::string RunningProgramPath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD got = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got == 0) return std::string();
    if (got < buffer.size()) return ProgramPath(std::wstring_view(buffer.data(), got));
    if (buffer.size() >= 32768) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

std::string UserCacheFolder() {
  const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA");
  if (local == nullptr || local[0] == L'\0') return std::string();
  return ProgramPath(local) + "/Shapewright";
}

}  // namespace platform
