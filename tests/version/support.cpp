#include "tests/version/support.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "tests/common/common.h"

namespace version_test {

Bytes Wide(std::string_view text) {
  Bytes bytes;
  for (char c : text) bytes.insert(bytes.end(), {static_cast<uint8_t>(c), 0});
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

uint16_t ReadLe16(const Bytes& bytes, size_t offset) {
  return static_cast<uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

void WriteLe(Bytes& bytes, size_t offset, uint64_t value, size_t size) {
  for (size_t i = 0; i < size; ++i)
    bytes.at(offset + i) = static_cast<uint8_t>(i < 8 ? value >> (8 * i) : 0);
}

version_record::RecordSource ProgramSource() {
  version_record::RecordSource source;
  std::string error;
  if (!version_record::ParseRecordSource(test::ReadFile(SHAPEWRIGHT_VERSION_SOURCE), source,
                                         error)) {
    throw std::runtime_error("cannot read " SHAPEWRIGHT_VERSION_SOURCE ": " + error);
  }
  return source;
}

Bytes ProgramRecord() { return version_record::BuildVersionRecord(ProgramSource()); }

Bytes TranslatedRecord(const std::vector<std::pair<uint32_t, std::string>>& tables) {
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

namespace {

void Append(Bytes& bytes, uint64_t value, size_t size) {
  bytes.resize(bytes.size() + size);
  WriteLe(bytes, bytes.size() - size, value, size);
}

// name, type, flags, address, offset, size, link, info, alignment, entry size
void AppendSectionHeader(Bytes& bytes, uint32_t name, uint32_t type, uint64_t offset,
                         uint64_t size) {
  Append(bytes, name, 4);
  Append(bytes, type, 4);
  Append(bytes, 0, 16);
  Append(bytes, offset, 8);
  Append(bytes, size, 8);
  Append(bytes, 0, 8);
  Append(bytes, 1, 8);
  Append(bytes, 0, 8);
}

}  // namespace

Bytes ElfImage(const std::vector<std::pair<std::string, Bytes>>& sections) {
  Bytes image = {0x7F, 'E', 'L', 'F', 2, 1, 1};
  image.resize(64, 0);
  WriteLe(image, 0x10, 2, 2);     // ET_EXEC
  WriteLe(image, 0x12, 0x3E, 2);  // x86-64
  WriteLe(image, 0x34, 64, 2);    // header size
  std::vector<uint64_t> offsets;
  Bytes names(1, 0);
  std::vector<uint32_t> name_offsets;
  for (const auto& [name, bytes] : sections) {
    image.resize((image.size() + 3) / 4 * 4, 0);
    offsets.push_back(image.size());
    image.insert(image.end(), bytes.begin(), bytes.end());
    name_offsets.push_back(static_cast<uint32_t>(names.size()));
    names.insert(names.end(), name.begin(), name.end());
    names.push_back(0);
  }
  const uint32_t names_name = static_cast<uint32_t>(names.size());
  for (char c : std::string_view(".shstrtab")) names.push_back(static_cast<uint8_t>(c));
  names.push_back(0);
  const uint64_t names_offset = image.size();
  image.insert(image.end(), names.begin(), names.end());
  image.resize((image.size() + 7) / 8 * 8, 0);
  WriteLe(image, kTableOffsetField, image.size(), 8);
  AppendSectionHeader(image, 0, 0, 0, 0);
  for (size_t i = 0; i < sections.size(); ++i)
    AppendSectionHeader(image, name_offsets[i], 1, offsets[i], sections[i].second.size());
  AppendSectionHeader(image, names_name, 3, names_offset, names.size());  // SHT_STRTAB
  WriteLe(image, kEntrySizeField, 64, 2);
  WriteLe(image, kCountField, sections.size() + 2, 2);
  WriteLe(image, kNamesIndexField, sections.size() + 1, 2);
  return image;
}

Bytes ElfWithRecord(const Bytes& record) {
  return ElfImage(
      {{".text", {0xC3, 0xC3, 0xC3}}, {".sw_version", record}, {".comment", Wide("x")}});
}

size_t SectionHeader(const Bytes& image, size_t index) {
  size_t table = 0;
  for (size_t i = 0; i < 8; ++i) table |= size_t{image.at(kTableOffsetField + i)} << (8 * i);
  return table + 64 * index;
}

ScopedLocale::ScopedLocale(std::optional<std::string> lc_all,
                           std::optional<std::string> lc_messages,
                           std::optional<std::string> lang) {
  const std::pair<const char*, std::optional<std::string>> wanted[] = {
      {"LC_ALL", std::move(lc_all)}, {"LC_MESSAGES", std::move(lc_messages)}, {"LANG", lang}};
  for (const auto& [name, value] : wanted) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
}

ScopedLocale::~ScopedLocale() {
  for (const auto& [name, value] : saved_) {
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }
}

}  // namespace version_test
