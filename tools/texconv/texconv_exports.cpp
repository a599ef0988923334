// The exports of libtexconv.so (texconv.dll) that the shape converter looks up by name.
#include <string>

#include "tools/texconv/ace.h"
#include "tools/texconv/tga.h"

#ifdef _WIN32
#define TEXCONV_EXPORT extern "C" __declspec(dllexport)
#else
#define TEXCONV_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// 1 when source_ace was converted into a complete TGA at destination_tga; 0 on any failure,
// with destination_tga left as it was. Null paths are failures.
TEXCONV_EXPORT int _AceToTga(const char* source_ace, const char* destination_tga) {
  if (source_ace == nullptr || destination_tga == nullptr) return 0;
  std::string reason;
  try {
    return texconv::ConvertAceToTga(source_ace, destination_tga, reason) ? 1 : 0;
  } catch (...) {  // out of memory: no exception may cross the C boundary
    return 0;
  }
}

// 1 when the file at path is an ACE texture that _AceToTga can convert, else 0.
TEXCONV_EXPORT int _CheckAce(const char* path, const char* /*unused*/) {
  if (path == nullptr) return 0;
  std::string reason;
  try {
    texconv::RgbaImage image;
    return texconv::ReadAceFile(path, image, reason) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}
