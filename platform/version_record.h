// The version record of an executable, read as the Windows version API reads it: the record is
// a VS_VERSIONINFO block that the build embeds in its own ELF section of each executable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The record is the section ".sw_version" of a little-endian ELF64 file. A file that is no
// such file, is cut short, or whose headers or record length point outside it has none.

// Size in bytes of the version record of the executable at path; 0 when it has none.
uint32_t GetFileVersionInfoSize(const std::string& path);
// Reads the record into block (resized to the record's size); false when it cannot be read.
bool GetFileVersionInfo(const std::string& path, std::vector<uint8_t>& block);
// Looks a value up by its path ("\\", "\\VarFileInfo\\Translation",
// "\\StringFileInfo\\040904E4\\FileVersion"); names compare without regard to letter case.
// value points into block; length is in bytes for binary values and, for text values, the
// count of characters before the terminating zero. For text values, text receives the value
// narrowed to 8 bits (the low byte of each unit); for binary values it is emptied. Every
// length in block is checked against its node: a node that outgrows its parent or has no
// terminated name ends the lookup with false, a binary value that outgrows its node is not
// found, and a text value ends at its node's end.
bool VerQueryValue(const std::vector<uint8_t>& block, const std::string& sub_block,
                   const uint8_t*& value, uint32_t& length, std::string* text = nullptr);
// The user's default language as a Windows language identifier, from the first non-empty of
// LC_ALL, LC_MESSAGES and LANG ("de_CH.UTF-8" gives 0x0807; a language alone or with an
// unlisted country gives the language's default, "de" 0x0407; "C", "POSIX", none or an
// unknown language give 0x0409).
uint16_t GetUserDefaultLangID();

}  // namespace platform
