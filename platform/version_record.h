// The version record of an executable, read as the Windows version API reads it: the record is
// a VS_VERSIONINFO block that the build embeds in its own ELF section of each executable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Size in bytes of the version record of the executable at path; 0 when it has none.
uint32_t GetFileVersionInfoSize(const std::string& path);
// Reads the record into block (resized to the record's size); false when it cannot be read.
bool GetFileVersionInfo(const std::string& path, std::vector<uint8_t>& block);
// Looks a value up by its path ("\\", "\\VarFileInfo\\Translation",
// "\\StringFileInfo\\040904E4\\FileVersion"); names compare without regard to letter case.
// value points into block; length is in bytes for binary values and in characters
// (without the terminating zero) for strings, as VerQueryValueA reports them. For strings,
// text receives the value narrowed to 8 bits.
bool VerQueryValue(const std::vector<uint8_t>& block, const std::string& sub_block,
                   const uint8_t*& value, uint32_t& length, std::string* text = nullptr);
// The user's default language as a Windows language identifier, from LC_ALL, LC_MESSAGES or
// LANG (0x0409 when unknown).
uint16_t GetUserDefaultLangID();

}  // namespace platform
