// The version record on Windows is the executable's own VERSIONINFO resource, read through the
// system's version API; its block has the layout that the Linux side reads from its section.
#include <windows.h>

#include <cwchar>

// The system's names of these calls are macros for their wide forms; ours keep their names.
#undef GetFileVersionInfoSize
#undef GetFileVersionInfo
#undef VerQueryValue

#include "platform/version_record.h"
#include "platform/win/wide.h"

namespace platform {

uint32_t GetFileVersionInfoSize(const std::string& path) {
  DWORD ignored = 0;
  return ::GetFileVersionInfoSizeW(SystemPath(path).c_str(), &ignored);
}

bool GetFileVersionInfo(const std::string& path, std::vector<uint8_t>& block) {
  uint32_t size = GetFileVersionInfoSize(path);
  block.assign(size, 0);
  return size > 0 && ::GetFileVersionInfoW(SystemPath(path).c_str(), 0, size, block.data());
}

bool VerQueryValue(const std::vector<uint8_t>& block, const std::string& sub_block,
                   const uint8_t*& value, uint32_t& length, std::string* text) {
  if (text != nullptr) text->clear();
  void* found = nullptr;
  UINT found_length = 0;
  if (block.empty() ||
      !::VerQueryValueW(block.data(), WideFromUtf8(sub_block).c_str(), &found, &found_length))
    return false;
  value = static_cast<const uint8_t*>(found);
  length = found_length;
  if (sub_block.rfind("\\StringFileInfo\\", 0) != 0) return true;
  // Text values: their length counts characters, the terminating zero among them or not.
  const auto* characters = static_cast<const wchar_t*>(found);
  length = static_cast<uint32_t>(::wcsnlen(characters, found_length));
  if (text != nullptr) {
    for (uint32_t i = 0; i < length; ++i) *text += static_cast<char>(characters[i] & 0xFF);
  }
  return true;
}

uint16_t GetUserDefaultLangID() { return ::GetUserDefaultLangID(); }

}  // namespace platform
