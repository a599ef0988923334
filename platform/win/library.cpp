// Loading the texture library on Windows: NAME.dll from the program's folder.
#include <windows.h>

#include <string>

#include "platform/files.h"
#include "platform/library.h"
#include "platform/win/wide.h"

namespace platform {

void* LoadLibraryByName(const char* base_name) {
  std::string file = std::string(base_name) + ".dll";
  std::string folder = ProgramFolder();
  if (!folder.empty()) {
    // The library's own dependencies are then looked up beside it too.
    if (HMODULE library = ::LoadLibraryExW(SystemPath(folder + "/" + file).c_str(), nullptr,
                                           LOAD_WITH_ALTERED_SEARCH_PATH))
      return reinterpret_cast<void*>(library);
  }
  return reinterpret_cast<void*>(::LoadLibraryW(WideFromUtf8(file).c_str()));
}

void* FindLibraryExport(void* library, const char* name) {
  if (library == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

}  // namespace platform
