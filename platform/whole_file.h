// Whole files as bytes, for the readers that take text rather than paths.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Reads the file at path into bytes; false with the system's reason in error. A file larger
// than max_bytes is refused rather than read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error,
                   uint64_t max_bytes = uint64_t{4} << 30);

// Writes bytes to path through a temporary file beside it, renamed over path when complete;
// false with the system's reason in error, and path is then left as it was.
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error);

// True when path names an existing regular file.
bool IsRegularFile(const std::string& path);

// True when path names an existing folder.
bool IsFolder(const std::string& path);

}  // namespace platform
