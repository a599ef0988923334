// What both systems share of the folder services.
#include "platform/folders.h"

#include <cstdio>
#include <cstring>

#include "platform/files.h"

namespace platform {

bool SameFileContents(const std::string& a, const std::string& b) {
  std::string reason;
  uint64_t size = 0;
  std::FILE* first = OpenRegularFile(a, reason, size);
  if (first == nullptr) return false;
  std::FILE* second = OpenRegularFile(b, reason, size);
  if (second == nullptr) {
    std::fclose(first);
    return false;
  }
  bool same = true;
  char x[1 << 14], y[1 << 14];
  for (;;) {
    size_t got_x = std::fread(x, 1, sizeof x, first);
    size_t got_y = std::fread(y, 1, sizeof y, second);
    if (got_x != got_y || std::memcmp(x, y, got_x) != 0) {
      same = false;
      break;
    }
    if (got_x < sizeof x) {
      same = !std::ferror(first) && !std::ferror(second);
      break;
    }
  }
  std::fclose(first);
  std::fclose(second);
  return same;
}

}  // namespace platform
