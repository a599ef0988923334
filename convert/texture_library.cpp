#include "convert/texture_library.h"

#include <atomic>
#include <mutex>

#include "platform/library.h"

namespace TextureLibrary {
namespace {

// Loaded once for the process and never unloaded; a failed load is retried on the next call.
// Conversions may run on several threads at once: the first load is made under a lock, and
// the loaded handle is read without one.
void* LibraryHandle() {
  static std::atomic<void*> handle{nullptr};
  static std::mutex loading;
  void* loaded = handle.load(std::memory_order_acquire);
  if (loaded != nullptr) return loaded;
  std::lock_guard<std::mutex> lock(loading);
  loaded = handle.load(std::memory_order_relaxed);
  if (loaded == nullptr) {
    loaded = platform::LoadLibraryByName("texconv");
    handle.store(loaded, std::memory_order_release);
  }
  return loaded;
}

// The export is looked up on every call rather than kept: one lookup costs nothing next to
// converting a texture, and the binding keeps no state but the handle.
template <typename... Args>
int CallExport(const char* name, Args... args) {
  void* handle = LibraryHandle();
  if (handle == nullptr) return 0;
  void* address = platform::FindLibraryExport(handle, name);
  if (address == nullptr) return 0;
  auto function = reinterpret_cast<int (*)(Args...)>(address);
  return function(args...);
}

}  // namespace

int AceToTga(const char* source_ace, const char* destination_tga) {
  return CallExport("_AceToTga", source_ace, destination_tga);
}
bool IsAvailable() { return LibraryHandle() != nullptr; }
int CheckAce(const char* path, const char* unused) { return CallExport("_CheckAce", path, unused); }
int AceToBmps(intptr_t a, intptr_t b, intptr_t c) { return CallExport("_AceToBmps", a, b, c); }
int AceToBmp(intptr_t a, intptr_t b) { return CallExport("_AceToBmp", a, b); }
int AceToTgaSquare(intptr_t a, intptr_t b) { return CallExport("_AceToTgaSquare", a, b); }
int BmpsToTga(intptr_t a, intptr_t b, intptr_t c) { return CallExport("_BmpsToTga", a, b, c); }
int BmpsToTgaSquare(intptr_t a, intptr_t b, intptr_t c) {
  return CallExport("_BmpsToTgaSquare", a, b, c);
}
int AceInitLoad(intptr_t a) { return CallExport("_AceInitLoad", a); }
int AceLoadBitmap(intptr_t a, intptr_t b) { return CallExport("_AceLoadBitmap", a, b); }
int AceCompress(intptr_t a, intptr_t b) { return CallExport("_AceCompress", a, b); }
int AceDecompress(intptr_t a, intptr_t b) { return CallExport("_AceDecompress", a, b); }
int AceCompressAll(intptr_t a, intptr_t b) { return CallExport("_AceCompressAll", a, b); }

}  // namespace TextureLibrary
