#include "platform/version_info.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "platform/version_record.h"

namespace {

constexpr uint16_t kEnglish = 9;
constexpr uint32_t kTranslationEntrySize = 4;

uint16_t EntryLanguage(uint32_t entry) { return static_cast<uint16_t>(entry & 0xFFFF); }
uint16_t EntryCodePage(uint32_t entry) { return static_cast<uint16_t>(entry >> 16); }

// The 4-byte entry at index (the table may sit at any address inside the record).
uint32_t ReadTranslationEntry(const uint8_t* table, uint32_t index) {
  const uint8_t* bytes = table + index * kTranslationEntrySize;
  return static_cast<uint32_t>(bytes[0] | bytes[1] << 8) |
         static_cast<uint32_t>(bytes[2] | bytes[3] << 8) << 16;
}

// Step 7: the exact user language, then FindTranslation with the user language, language 0
// and English, each allowing a low-byte match, then the first entry. An empty table (or none
// at all) chooses nothing.
bool ChooseTranslation(const uint8_t* table, uint32_t size, uint16_t user_language,
                       uint32_t& entry) {
  uint32_t count = table == nullptr ? 0 : size / kTranslationEntrySize;
  if (count == 0) return false;
  for (uint32_t i = 0; i < count; ++i) {
    entry = ReadTranslationEntry(table, i);
    if (EntryLanguage(entry) == user_language) return true;
  }
  if (CVersionInfo::FindTranslation(table, size, user_language, entry, true)) return true;
  if (CVersionInfo::FindTranslation(table, size, 0, entry, true)) return true;
  if (CVersionInfo::FindTranslation(table, size, kEnglish, entry, true)) return true;
  entry = ReadTranslationEntry(table, 0);
  return true;
}

// "\StringFileInfo\LLLLCCCC\" for the chosen entry, upper-case hexadecimal.
std::string FormatStringPrefix(uint32_t entry) {
  char prefix[40];
  std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04X%04X\\",
                static_cast<unsigned>(EntryLanguage(entry)),
                static_cast<unsigned>(EntryCodePage(entry)));
  return prefix;
}

}  // namespace

CVersionInfo::CVersionInfo() { Reset(); }

void CVersionInfo::Reset() {
  std::memset(&FixedInfo, 0, sizeof FixedInfo);
  for (std::string* text : {&CompanyName, &FileDescription, &FileVersion, &InternalName,
                            &LegalCopyright, &OriginalFileName, &ProductName, &ProductVersion,
                            &Comments, &LegalTrademarks, &PrivateBuild, &SpecialBuild}) {
    text->clear();
  }
}

// There are no module handles here: only the running program (no module) can be read.
bool CVersionInfo::ReadFromModule(const void* module) {
  if (module != nullptr) {
    Reset();
    return false;
  }
  return ReadFromFile(platform::RunningProgramPath());
}

bool CVersionInfo::ReadFromFile(const std::string& path) {
  Reset();
  if (platform::GetFileVersionInfoSize(path) == 0) return false;
  std::vector<uint8_t> block;
  if (!platform::GetFileVersionInfo(path, block)) return false;

  const uint8_t* value = nullptr;
  uint32_t length = 0;
  if (platform::VerQueryValue(block, "\\", value, length) && length == sizeof FixedInfo) {
    std::memcpy(&FixedInfo, value, sizeof FixedInfo);
  }

  const uint8_t* table = nullptr;
  uint32_t table_size = 0;
  if (!platform::VerQueryValue(block, "\\VarFileInfo\\Translation", table, table_size)) {
    table = nullptr;
    table_size = 0;
  }
  uint32_t entry = 0;
  if (!ChooseTranslation(table, table_size, platform::GetUserDefaultLangID(), entry)) return true;

  const std::string prefix = FormatStringPrefix(entry);
  struct Key {
    const char* name;
    std::string* text;
  };
  const Key keys[] = {
      {"CompanyName", &CompanyName},
      {"FileDescription", &FileDescription},
      {"FileVersion", &FileVersion},
      {"InternalName", &InternalName},
      {"LegalCopyright", &LegalCopyright},
      {"OriginalFileName", &OriginalFileName},
      {"ProductName", &ProductName},
      {"ProductVersion", &ProductVersion},
      {"Comments", &Comments},
      {"LegalTrademarks", &LegalTrademarks},
      {"PrivateBuild", &PrivateBuild},
      {"SpecialBuild", &SpecialBuild},
  };
  for (const Key& key : keys) {
    std::string text;
    if (platform::VerQueryValue(block, prefix + key.name, value, length, &text)) *key.text = text;
  }
  return true;
}

bool CVersionInfo::FindTranslation(const uint8_t* table, uint32_t size, uint16_t language,
                                   uint32_t& entry, bool allow_low_byte) {
  uint32_t count = table == nullptr ? 0 : size / kTranslationEntrySize;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t candidate = ReadTranslationEntry(table, i);
    if (EntryLanguage(candidate) == language) {
      entry = candidate;
      return true;
    }
  }
  if (!allow_low_byte) return false;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t candidate = ReadTranslationEntry(table, i);
    if ((EntryLanguage(candidate) & 0xFF) == (language & 0xFF)) {
      entry = candidate;
      return true;
    }
  }
  return false;
}
