#include "platform/library.h"

#include <dlfcn.h>

#include <string>

#include "platform/files.h"

namespace platform {

void* LoadLibraryByName(const char* base_name) {
  std::string file = std::string("lib") + base_name + ".so";
  // Beside the executable first, by its full path: the RUNPATH ($ORIGIN) says the same, but a
  // dlopen made through an interposed loader (as under AddressSanitizer) does not consult it.
  std::string folder = ProgramFolder();
  if (!folder.empty()) {
    if (void* library = dlopen((folder + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL))
      return library;
  }
  return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindLibraryExport(void* library, const char* name) {
  if (library == nullptr) return nullptr;
  return dlsym(library, name);
}

}  // namespace platform
