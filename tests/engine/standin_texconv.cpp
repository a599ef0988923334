// A stand-in for the texture library: appends "source|destination" for every call to the file
// named by SW_TEXCONV_LOG, and reports success.
#include <cstdio>
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) int _AceToTga(const char* source,
                                                                const char* destination) {
  const char* log = std::getenv("SW_TEXCONV_LOG");
  if (log == nullptr) return 0;
  FILE* f = std::fopen(log, "ab");
  if (f == nullptr) return 0;
  std::fprintf(f, "%s|%s\n", source, destination);
  std::fclose(f);
  return 1;
}
