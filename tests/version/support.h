// Records and ELF images made in the test, and the user's locale variables set for one test.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "res/version_record_builder.h"
#include "tests/common/common.h"

namespace version_test {

using test::Bytes;

// Zero-terminated UTF-16 of 8-bit text, one unit per byte.
inline Bytes Wide(std::string_view text) {
  Bytes bytes;
  for (char c : text) bytes.insert(bytes.end(), {static_cast<uint8_t>(c), 0});
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

// Writes the low size bytes of value at offset, little-endian.
inline void WriteLe(Bytes& bytes, size_t offset, uint64_t value, size_t size) {
  for (size_t i = 0; i < size; ++i)
    bytes.at(offset + i) = static_cast<uint8_t>(i < 8 ? value >> (8 * i) : 0);
}

inline void AppendLe(Bytes& bytes, uint64_t value, size_t size) {
  bytes.resize(bytes.size() + size);
  WriteLe(bytes, bytes.size() - size, value, size);
}

// The program's own record, as res/version.txt describes it.
inline version_record::RecordSource ProgramSource() {
  version_record::RecordSource source;
  std::string error;
  if (!version_record::ParseRecordSource(test::ReadFile(SHAPEWRIGHT_VERSION_SOURCE), source,
                                         error)) {
    throw std::runtime_error("cannot read " SHAPEWRIGHT_VERSION_SOURCE ": " + error);
  }
  return source;
}

inline Bytes ProgramRecord() { return version_record::BuildVersionRecord(ProgramSource()); }

// A record with one string table per translation entry (language | code page << 16), named
// "llllcccc" in lower case as a resource compiler names it, holding FileDescription.
inline Bytes TranslatedRecord(const std::vector<std::pair<uint32_t, std::string>>& tables) {
  version_record::RecordSource source = ProgramSource();
  source.string_tables.clear();
  source.translations.clear();
  for (const auto& [entry, description] : tables) {
    char name[16];
    std::snprintf(name, sizeof name, "%04x%04x", entry & 0xFFFF, entry >> 16);
    source.string_tables.push_back({name, {{"FileDescription", description}}});
    source.translations.push_back(entry);
  }
  return version_record::BuildVersionRecord(source);
}

constexpr size_t kTableOffsetField = 0x28, kEntrySizeField = 0x3A, kCountField = 0x3C,
                 kNamesIndexField = 0x3E;

// A minimal little-endian ELF64 file: header, the sections' bytes, the section-name table,
// then the section header table (entry 0 the null section, the name table last).
inline Bytes ElfImage(const std::vector<std::pair<std::string, Bytes>>& sections) {
  Bytes image = {0x7F, 'E', 'L', 'F', 2, 1, 1};
  image.resize(64, 0);
  WriteLe(image, 0x10, 2, 2);     // ET_EXEC
  WriteLe(image, 0x12, 0x3E, 2);  // x86-64
  WriteLe(image, 0x34, 64, 2);    // header size
  std::vector<uint64_t> offsets;
  std::vector<uint32_t> name_offsets;
  Bytes names(1, 0);
  auto add_name = [&](std::string_view name) {
    name_offsets.push_back(static_cast<uint32_t>(names.size()));
    names.insert(names.end(), name.begin(), name.end());
    names.push_back(0);
  };
  for (const auto& [name, bytes] : sections) {
    image.resize((image.size() + 3) / 4 * 4, 0);
    offsets.push_back(image.size());
    image.insert(image.end(), bytes.begin(), bytes.end());
    add_name(name);
  }
  add_name(".shstrtab");
  offsets.push_back(image.size());
  image.insert(image.end(), names.begin(), names.end());
  image.resize((image.size() + 7) / 8 * 8, 0);
  WriteLe(image, kTableOffsetField, image.size(), 8);
  image.resize(image.size() + 64, 0);  // the null section
  for (size_t i = 0; i <= sections.size(); ++i) {
    // name, type (SHT_PROGBITS, the name table SHT_STRTAB), flags and address, offset, size,
    // link and info, alignment, entry size
    AppendLe(image, name_offsets[i], 4);
    AppendLe(image, i < sections.size() ? 1 : 3, 4);
    AppendLe(image, 0, 16);
    AppendLe(image, offsets[i], 8);
    AppendLe(image, i < sections.size() ? sections[i].second.size() : names.size(), 8);
    AppendLe(image, 0, 8);
    AppendLe(image, 1, 8);
    AppendLe(image, 0, 8);
  }
  WriteLe(image, kEntrySizeField, 64, 2);
  WriteLe(image, kCountField, sections.size() + 2, 2);
  WriteLe(image, kNamesIndexField, sections.size() + 1, 2);
  return image;
}

// The record in ".sw_version", between ".text" and ".comment" (section index 2).
inline Bytes ElfWithRecord(const Bytes& record) {
  return ElfImage(
      {{".text", {0xC3, 0xC3, 0xC3}}, {".sw_version", record}, {".comment", Wide("x")}});
}

inline size_t SectionHeader(const Bytes& image, size_t index) {
  size_t table = 0;
  for (size_t i = 0; i < 8; ++i) table |= size_t{image.at(kTableOffsetField + i)} << (8 * i);
  return table + 64 * index;
}

// Sets LC_ALL, LC_MESSAGES and LANG (nullptr: unset) for one test; restores them at the end.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* lc_all, const char* lc_messages = nullptr,
                        const char* lang = nullptr) {
    const char* wanted[3] = {lc_all, lc_messages, lang};
    for (int i = 0; i < 3; ++i) {
      const char* old = std::getenv(kNames[i]);
      if (old != nullptr) saved_[i] = old;
      Set(kNames[i], wanted[i]);
    }
  }
  ~ScopedLocale() {
    for (int i = 0; i < 3; ++i) Set(kNames[i], saved_[i] ? saved_[i]->c_str() : nullptr);
  }

 private:
  static void Set(const char* name, const char* value) { test::SetEnv(name, value); }
  static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::optional<std::string> saved_[3];
};

}  // namespace version_test
