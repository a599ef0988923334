#include "tests/version/test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace version_test {

std::vector<uint8_t> Wide(std::string_view text) {
  std::vector<uint8_t> bytes;
  for (char c : text) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(0);
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

std::vector<uint8_t> Concat(const std::vector<std::vector<uint8_t>>& pieces) {
  std::vector<uint8_t> bytes;
  for (const auto& piece : pieces) bytes.insert(bytes.end(), piece.begin(), piece.end());
  return bytes;
}

uint16_t ReadLe16(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

uint64_t ReadLe64(const std::vector<uint8_t>& bytes, size_t offset) {
  uint64_t value = 0;
  for (size_t i = 0; i < 8; ++i) value |= static_cast<uint64_t>(bytes.at(offset + i)) << (8 * i);
  return value;
}

void WriteLe16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
  for (size_t i = 0; i < 2; ++i) bytes.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}

void WriteLe32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}

void WriteLe64(std::vector<uint8_t>& bytes, size_t offset, uint64_t value) {
  for (size_t i = 0; i < 8; ++i) bytes.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}

version_record::RecordSource ReadProgramRecordSource() {
  std::ifstream in(SHAPEWRIGHT_VERSION_SOURCE, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  version_record::RecordSource source;
  std::string error;
  if (!in || !version_record::ParseRecordSource(text.str(), source, error)) {
    throw std::runtime_error("cannot read " SHAPEWRIGHT_VERSION_SOURCE ": " + error);
  }
  return source;
}

std::vector<uint8_t> MakeTranslatedRecord(const std::vector<TranslatedTable>& tables) {
  version_record::RecordSource source = ReadProgramRecordSource();
  source.string_tables.clear();
  source.translations.clear();
  for (const TranslatedTable& table : tables) {
    char name[16];
    std::snprintf(name, sizeof name, "%04x%04x", static_cast<unsigned>(table.entry & 0xFFFF),
                  static_cast<unsigned>(table.entry >> 16));
    source.string_tables.push_back({name, {{"FileDescription", table.description}}});
    source.translations.push_back(table.entry);
  }
  return version_record::BuildVersionRecord(source);
}

namespace {

void AppendLe(std::vector<uint8_t>& bytes, uint64_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PadTo(std::vector<uint8_t>& bytes, size_t alignment) {
  while (bytes.size() % alignment != 0) bytes.push_back(0);
}

void AppendSectionHeader(std::vector<uint8_t>& bytes, uint32_t name, uint32_t type, uint64_t offset,
                         uint64_t size) {
  AppendLe(bytes, name, 4);
  AppendLe(bytes, type, 4);
  AppendLe(bytes, 0, 8);  // flags
  AppendLe(bytes, 0, 8);  // address
  AppendLe(bytes, offset, 8);
  AppendLe(bytes, size, 8);
  AppendLe(bytes, 0, 4);  // link
  AppendLe(bytes, 0, 4);  // info
  AppendLe(bytes, 1, 8);  // alignment
  AppendLe(bytes, 0, 8);  // entry size
}

}  // namespace

std::vector<uint8_t> MakeElfImage(const std::vector<ElfSection>& sections) {
  std::vector<uint8_t> image(64, 0);
  const uint8_t ident[] = {0x7F, 'E', 'L', 'F', 2, 1, 1};
  std::copy(std::begin(ident), std::end(ident), image.begin());
  WriteLe16(image, 0x10, 2);     // ET_EXEC
  WriteLe16(image, 0x12, 0x3E);  // x86-64
  WriteLe16(image, 0x34, 64);    // header size

  std::vector<uint64_t> offsets;
  for (const ElfSection& section : sections) {
    PadTo(image, 4);
    offsets.push_back(image.size());
    image.insert(image.end(), section.bytes.begin(), section.bytes.end());
  }
  std::vector<uint8_t> names(1, 0);
  std::vector<uint32_t> name_offsets;
  for (const ElfSection& section : sections) {
    name_offsets.push_back(static_cast<uint32_t>(names.size()));
    names.insert(names.end(), section.name.begin(), section.name.end());
    names.push_back(0);
  }
  const uint32_t names_name = static_cast<uint32_t>(names.size());
  for (char c : std::string_view(".shstrtab")) names.push_back(static_cast<uint8_t>(c));
  names.push_back(0);
  const uint64_t names_offset = image.size();
  image.insert(image.end(), names.begin(), names.end());

  PadTo(image, 8);
  const uint64_t table_offset = image.size();
  AppendSectionHeader(image, 0, 0, 0, 0);
  for (size_t i = 0; i < sections.size(); ++i) {
    AppendSectionHeader(image, name_offsets[i], sections[i].type, offsets[i],
                        sections[i].bytes.size());
  }
  AppendSectionHeader(image, names_name, 3, names_offset, names.size());  // SHT_STRTAB
  WriteLe64(image, kSectionTableOffsetField, table_offset);
  WriteLe16(image, kSectionEntrySizeField, 64);
  WriteLe16(image, kSectionCountField, static_cast<uint16_t>(sections.size() + 2));
  WriteLe16(image, kSectionNamesIndexField, static_cast<uint16_t>(sections.size() + 1));
  return image;
}

std::vector<uint8_t> MakeElfWithRecord(const std::vector<uint8_t>& record) {
  return MakeElfImage(
      {{".text", {0xC3, 0xC3, 0xC3}}, {".sw_version", record}, {".comment", Wide("x")}});
}

size_t SectionHeaderOffset(const std::vector<uint8_t>& image, size_t index) {
  return static_cast<size_t>(ReadLe64(image, kSectionTableOffsetField)) + 64 * index;
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "sw-version-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make " + pattern);
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::WriteFile(const std::string& name,
                                  const std::vector<uint8_t>& bytes) const {
  std::string file = path_ + "/" + name;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + file);
  return file;
}

ScopedLocale::ScopedLocale(std::optional<std::string> lc_all,
                           std::optional<std::string> lc_messages,
                           std::optional<std::string> lang) {
  const std::pair<const char*, std::optional<std::string>> wanted[] = {
      {"LC_ALL", std::move(lc_all)},
      {"LC_MESSAGES", std::move(lc_messages)},
      {"LANG", std::move(lang)}};
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

ScopedLocale::ScopedLocale(const std::string& lc_all)
    : ScopedLocale(lc_all, std::nullopt, std::nullopt) {}

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
