#include "batch/shared_textures.h"

#include "convert/texture_library.h"
#include "platform/files.h"
#include "platform/folders.h"

int SharedTextures::Convert(const std::string& ace, const std::string& tga) {
  std::string converted = converted_.Get(ace, [&] {
    std::string file = folder_ + "/" + std::to_string(made_++) + ".tga", error;
    if (!platform::CreateFolders(folder_, error)) return std::string();
    return TextureLibrary::AceToTga(ace.c_str(), file.c_str()) != 0 ? file : std::string();
  });
  std::string error;
  if (!converted.empty() && platform::CopyFileOver(converted, tga, error)) return 1;
  // A texture the library refused, or a copy that could not be made: the vehicle asks the
  // library itself, so that what it reports is the library's own outcome for it.
  return TextureLibrary::AceToTga(ace.c_str(), tga.c_str());
}
