#include "platform/library.h"

#include <dlfcn.h>

#include <string>

namespace platform {

void* LoadLibraryByName(const char* base_name) {
  std::string file = std::string("lib") + base_name + ".so";
  return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindLibraryExport(void* library, const char* name) {
  if (library == nullptr) return nullptr;
  return dlsym(library, name);
}

}  // namespace platform
