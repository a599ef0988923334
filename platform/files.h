// File-system services for the core: case-insensitive lookup of MSTS names, the program's folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

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

// Creates the file at path, or empties it, for writing bytes; null with errno set when it cannot
// be. Programs this one starts do not inherit it.
std::FILE* CreateFileForWriting(const std::string& path);

// Whether path can be opened as a regular file (as OpenRegularFile tells); false with the reason.
bool IsReadableRegularFile(const std::string& path, std::string& reason);

// The path of an existing file or folder that matches path when each component is compared
// without regard to letter case (an exact match wins; among others, the first in byte order);
// path itself when nothing matches. When other is given and a component matched two entries,
// neither exactly, other gets the path that the second one leads to (else it is emptied).
std::string FindPathIgnoringCase(const std::string& path, std::string* other = nullptr);

// The relative path that a name read from an MSTS file stands for on this system. The name
// holds one byte per character, the low byte of its UTF-16 unit: for Latin letters the byte of
// Latin-1, the code page MSTS ran under. Here each "\" becomes "/" and each byte from 0x80 its
// Latin-1 character in UTF-8, so that "caf\xE9.ace" finds the file named café.ace.
std::string PathFromMstsName(std::string_view name);

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
