// File-system services for the core: case-insensitive lookup of MSTS names, the program's folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// What tells one file from another, whatever names lead to it.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at path (links followed); false when there is none.
bool IdentifyFile(const std::string& path, FileIdentity& identity);

// The identity of an open file. False, with errno set, when it cannot be told or the file is
// a folder (EISDIR): a folder opens for reading but gives no bytes.
bool IdentifyOpenFile(std::FILE* file, FileIdentity& identity);

// Opens path for reading when it names a regular file (links followed), never waiting on a
// FIFO or a device; size gets its length. Null with the reason otherwise: the system's, or
// what the path names instead ("a FIFO, not a regular file").
std::FILE* OpenRegularFile(const std::string& path, std::string& reason, uint64_t& size);

// Whether path can be opened as a regular file (as OpenRegularFile tells); false with the reason.
bool IsReadableRegularFile(const std::string& path, std::string& reason);

// The path of an existing file or folder that matches path when each component is compared
// without regard to letter case (an exact match wins); path itself when nothing matches.
std::string FindPathIgnoringCase(const std::string& path);

// The path under which a file named by path is created: its folder found as by
// FindPathIgnoringCase, its own name kept as given.
std::string ResolveCreatePath(const std::string& path);

// True when path names an existing file or folder.
bool FileExists(const std::string& path);

// path made absolute against the current directory (not normalised).
std::string AbsolutePath(const std::string& path);
// Creates path and its missing parent folders; false with the system's reason in error.
bool CreateFolders(const std::string& path, std::string& error);

// Whether this process may create files in the folder path (false when it is missing). The
// system's answer: for the superuser nearly every folder is writable.
bool CanWriteFolder(const std::string& path);

// The absolute path of the running executable, and its folder (without a trailing "/").
std::string RunningProgramPath();
std::string ProgramFolder();

// The user's cache folder for this program ($XDG_CACHE_HOME/shapewright, else
// ~/.cache/shapewright); not made here. Empty when neither variable names a folder.
std::string UserCacheFolder();

}  // namespace platform
