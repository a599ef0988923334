// libFuzzer target: arbitrary bytes as an ACE file through _AceToTga, the export the shape
// converter calls. A conversion either returns 1 and leaves a complete TGA of the decoded size,
// or returns 0 and leaves nothing.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/texconv/ace.h"
#include "tools/texconv/tga.h"

extern "C" int _AceToTga(const char* source_ace, const char* destination_tga);

namespace {

// A plain array, not a std::string: it must outlive the exit handler that removes the folder.
char scratch_folder[] = "/tmp/fuzz_texconv_XXXXXX";

void RemoveScratch() {
  std::remove((std::string(scratch_folder) + "/in.ace").c_str());
  std::remove((std::string(scratch_folder) + "/out.tga").c_str());
  rmdir(scratch_folder);
}

const char* ScratchFolder() {
  static bool made = [] {
    if (mkdtemp(scratch_folder) == nullptr) std::abort();
    std::atexit(RemoveScratch);
    return true;
  }();
  (void)made;
  return scratch_folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string source = std::string(ScratchFolder()) + "/in.ace";
  std::string destination = std::string(ScratchFolder()) + "/out.tga";
  FILE* file = std::fopen(source.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  texconv::RgbaImage image;
  std::string reason;
  bool decoded = texconv::DecodeAceFile({data, size}, image, reason);
  int converted = _AceToTga(source.c_str(), destination.c_str());
  struct stat info;
  bool exists = stat(destination.c_str(), &info) == 0;
  // The in-memory decoder and the export must agree, and a failure must leave no file.
  if (converted != (decoded ? 1 : 0) || exists != decoded) std::abort();
  if (decoded && uint64_t(info.st_size) !=
                     texconv::kTgaHeaderSize + uint64_t(image.width) * image.height * 4) {
    std::abort();
  }
  if (!decoded && reason.empty()) std::abort();
  std::remove(destination.c_str());
  return 0;
}
