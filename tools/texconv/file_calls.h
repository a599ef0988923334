// The system calls under the texture library's file access, one set per system
// (linux/file_io.cpp, win/file_io.cpp). Each sets errno as the C library does when it fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace texconv::calls {

// A descriptor for reading path, or -1; EISDIR where the system will not open a folder at all.
int OpenToRead(const std::string& path);
// Creates path, which must not exist, for writing; -1 when it cannot.
int CreateNew(const std::string& path);
// The size of the regular file open as fd; false when it is none.
bool RegularFileSize(int fd, uint64_t& size);
// What read and write return: a count, 0 at the end, below 0 on a failure (interruptions
// retried).
int64_t ReadSome(int fd, uint8_t* bytes, size_t size);
int64_t WriteSome(int fd, const uint8_t* bytes, size_t size);
int Close(int fd);
// Moves from to to, replacing a file there; false when it cannot.
bool MoveReplacing(const std::string& from, const std::string& to);
void Remove(const std::string& path);
unsigned long ProcessId();

}  // namespace texconv::calls
