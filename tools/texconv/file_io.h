// The only code of the texture library that touches the file system: linux/file_io.cpp and
// win/file_io.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace texconv {

// Largest file read: far above any real texture, low enough to refuse a stray huge file.
inline constexpr uint64_t kMaxReadFileSize = uint64_t(1) << 30;

// The program's arguments (argv[0] first) as UTF-8.
std::vector<std::string> ReadProgramArguments(int argc, char** argv);

// Reads the whole file at path into bytes. False with reason set when it cannot be read or is
// larger than kMaxReadFileSize.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason);

// A file being written under a temporary name in the folder of the path it will replace.
struct ReplacementFile {
  std::string path;
  std::string temporary;
  int fd = -1;
};

// Creates the temporary file for path. False with reason set when it cannot be created.
bool OpenReplacement(const std::string& path, ReplacementFile& file, std::string& reason);
// Appends bytes. False with reason set on a write error.
bool WriteReplacement(ReplacementFile& file, const uint8_t* bytes, size_t size,
                      std::string& reason);
// Closes the temporary file and renames it over path. False with reason set on failure, and
// the temporary file is then removed.
bool CommitReplacement(ReplacementFile& file, std::string& reason);
// Closes and removes the temporary file; path stays as it was.
void AbandonReplacement(ReplacementFile& file);

// Writes bytes to a new temporary file in path's folder and renames it to path, so that path
// holds either its previous content or the complete new one. False with reason set on
// failure; the temporary file is then removed.
bool ReplaceFileContent(const std::string& path, const uint8_t* bytes, size_t size,
                        std::string& reason);

}  // namespace texconv
