// What both systems share of the texture library's file access.
#include "tools/texconv/file_io.h"

namespace texconv {

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
