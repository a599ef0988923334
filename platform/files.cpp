// What both systems share of the file services.
#include "platform/files.h"

#include "base/text.h"

namespace platform {

std::string PathFromMstsName(std::string_view name) {
  std::string path;
  path.reserve(name.size());
  for (char c : name) {
    if (c == '\\') {
      path += '/';
    } else {
      AppendLatin1AsUtf8(path, static_cast<unsigned char>(c));
    }
  }
  return path;
}

bool IsReadableRegularFile(const std::string& path, std::string& reason) {
  uint64_t size = 0;
  std::FILE* file = OpenRegularFile(path, reason, size);
  if (file != nullptr) std::fclose(file);
  return file != nullptr;
}

std::string ProgramFolder() {
  std::string path = RunningProgramPath();
  size_t cut = path.rfind('/');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace platform
