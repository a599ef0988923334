// Shared setup of the version record tests: records and ELF images made in the test, a
// temporary folder for them, and the user's locale variables set for one test.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "res/version_record_builder.h"

namespace version_test {

// Zero-terminated UTF-16 of 8-bit text, one unit per byte.
std::vector<uint8_t> Wide(std::string_view text);
std::vector<uint8_t> Concat(const std::vector<std::vector<uint8_t>>& pieces);

uint16_t ReadLe16(const std::vector<uint8_t>& bytes, size_t offset);
uint64_t ReadLe64(const std::vector<uint8_t>& bytes, size_t offset);
void WriteLe16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value);
void WriteLe32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);
void WriteLe64(std::vector<uint8_t>& bytes, size_t offset, uint64_t value);

// The program's own record as res/version.txt describes it.
version_record::RecordSource ReadProgramRecordSource();

// A record with one string table per translation entry (named "llllcccc" in lower case, as a
// resource compiler names it), whose FileDescription is the entry's description.
struct TranslatedTable {
  uint32_t entry;  // language | code page << 16
  std::string description;
};
std::vector<uint8_t> MakeTranslatedRecord(const std::vector<TranslatedTable>& tables);

struct ElfSection {
  std::string name;
  std::vector<uint8_t> bytes;
  uint32_t type = 1;  // SHT_PROGBITS
};
// A minimal little-endian ELF64 file: header, the sections' bytes, the section-name table,
// and last the section header table (entry 0 the null section, the name table last).
std::vector<uint8_t> MakeElfImage(const std::vector<ElfSection>& sections);
// An ELF image with the record in the section ".sw_version".
std::vector<uint8_t> MakeElfWithRecord(const std::vector<uint8_t>& record);

// Offsets in a MakeElfImage result.
constexpr size_t kSectionTableOffsetField = 0x28;
constexpr size_t kSectionEntrySizeField = 0x3A;
constexpr size_t kSectionCountField = 0x3C;
constexpr size_t kSectionNamesIndexField = 0x3E;
// The header of section index (1 = the first of the sections given).
size_t SectionHeaderOffset(const std::vector<uint8_t>& image, size_t index);

// A folder under the system's temporary folder, removed with its files at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Sets (a value) or unsets (nullopt) LC_ALL, LC_MESSAGES and LANG; restores them at the end.
class ScopedLocale {
 public:
  ScopedLocale(std::optional<std::string> lc_all, std::optional<std::string> lc_messages,
               std::optional<std::string> lang);
  // The usual case: only LC_ALL set.
  explicit ScopedLocale(const std::string& lc_all);
  ~ScopedLocale();
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace version_test
