// Records and ELF images made in the test, and the user's locale variables set for one test.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "res/version_record_builder.h"

namespace version_test {

using Bytes = std::vector<uint8_t>;

// Zero-terminated UTF-16 of 8-bit text, one unit per byte.
Bytes Wide(std::string_view text);
uint16_t ReadLe16(const Bytes& bytes, size_t offset);
// Writes the low size bytes of value at offset, little-endian.
void WriteLe(Bytes& bytes, size_t offset, uint64_t value, size_t size);

// The program's own record, as res/version.txt describes it.
version_record::RecordSource ProgramSource();
Bytes ProgramRecord();
// A record with one string table per translation entry (language | code page << 16), named
// "llllcccc" in lower case as a resource compiler names it, holding FileDescription.
Bytes TranslatedRecord(const std::vector<std::pair<uint32_t, std::string>>& tables);

// A minimal little-endian ELF64 file: header, the sections' bytes, the section-name table,
// then the section header table (entry 0 the null section, the name table last).
Bytes ElfImage(const std::vector<std::pair<std::string, Bytes>>& sections);
// The record in ".sw_version", between ".text" and ".comment" (section index 2).
Bytes ElfWithRecord(const Bytes& record);
constexpr size_t kTableOffsetField = 0x28, kEntrySizeField = 0x3A, kCountField = 0x3C,
                 kNamesIndexField = 0x3E;
size_t SectionHeader(const Bytes& image, size_t index);

// Sets (a value) or unsets (nullopt) LC_ALL, LC_MESSAGES and LANG; restores them at the end.
class ScopedLocale {
 public:
  ScopedLocale(std::optional<std::string> lc_all, std::optional<std::string> lc_messages = {},
               std::optional<std::string> lang = {});
  ~ScopedLocale();
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace version_test
