#include "res/version_record_builder.h"

#include <array>
#include <charconv>

namespace version_record {
namespace {

enum class Section { kNone, kFixed, kTranslation, kStrings };

std::string_view TrimSpaces(std::string_view text) {
  const char* spaces = " \t\r";
  size_t first = text.find_first_not_of(spaces);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(spaces);
  return text.substr(first, last - first + 1);
}

bool IsPlainAscii(std::string_view text) {
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7E) return false;
  }
  return true;
}

// A whole field as a number: decimal, or hexadecimal after "0x"; nothing may follow it.
bool ReadWholeNumber(std::string_view text, uint32_t max, uint32_t& number) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  uint64_t value = 0;
  auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || fault != std::errc() || end != text.data() + text.size()) return false;
  if (value > max) return false;
  number = static_cast<uint32_t>(value);
  return true;
}

// "a.b.c.d" into the two 32-bit halves of a version.
bool ReadVersionQuad(std::string_view text, uint32_t& ms, uint32_t& ls) {
  std::array<uint32_t, 4> parts{};
  for (size_t i = 0; i < parts.size(); ++i) {
    size_t dot = (i + 1 < parts.size()) ? text.find('.') : text.size();
    if (dot == std::string_view::npos) return false;
    if (!ReadWholeNumber(text.substr(0, dot), 0xFFFF, parts[i])) return false;
    text.remove_prefix(i + 1 < parts.size() ? dot + 1 : dot);
  }
  ms = parts[0] << 16 | parts[1];
  ls = parts[2] << 16 | parts[3];
  return true;
}

bool ReadFixedField(std::string_view key, std::string_view value, FixedFields& fixed) {
  if (key == "file_version")
    return ReadVersionQuad(value, fixed.file_version_ms, fixed.file_version_ls);
  if (key == "product_version") {
    return ReadVersionQuad(value, fixed.product_version_ms, fixed.product_version_ls);
  }
  struct Field {
    std::string_view name;
    uint32_t* slot;
  };
  const Field fields[] = {
      {"flags_mask", &fixed.flags_mask},     {"flags", &fixed.flags},
      {"file_os", &fixed.file_os},           {"file_type", &fixed.file_type},
      {"file_subtype", &fixed.file_subtype}, {"file_date_ms", &fixed.file_date_ms},
      {"file_date_ls", &fixed.file_date_ls},
  };
  for (const Field& field : fields) {
    if (key == field.name) return ReadWholeNumber(value, 0xFFFFFFFF, *field.slot);
  }
  return false;
}

// "LANGUAGE CODEPAGE", two 16-bit numbers.
bool ReadTranslationEntry(std::string_view key, std::string_view value, uint32_t& entry) {
  if (key != "entry") return false;
  size_t space = value.find_first_of(" \t");
  if (space == std::string_view::npos) return false;
  uint32_t language = 0;
  uint32_t code_page = 0;
  if (!ReadWholeNumber(value.substr(0, space), 0xFFFF, language)) return false;
  if (!ReadWholeNumber(TrimSpaces(value.substr(space)), 0xFFFF, code_page)) return false;
  entry = language | code_page << 16;
  return true;
}

// One "[...]" line; a strings section opens a new table.
bool ReadSectionLine(std::string_view line, Section& section, RecordSource& source) {
  std::string_view inner = TrimSpaces(line.substr(1, line.size() - 2));
  if (inner == "fixed") {
    section = Section::kFixed;
    return true;
  }
  if (inner == "translation") {
    section = Section::kTranslation;
    return true;
  }
  if (inner.substr(0, 8) == "strings " || inner.substr(0, 8) == "strings\t") {
    std::string_view name = TrimSpaces(inner.substr(8));
    if (name.empty() || !IsPlainAscii(name)) return false;
    source.string_tables.push_back(StringTable{std::string(name), {}});
    section = Section::kStrings;
    return true;
  }
  return false;
}

bool ReadValueLine(std::string_view line, Section section, RecordSource& source) {
  size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  std::string_view key = TrimSpaces(line.substr(0, equals));
  std::string_view value = TrimSpaces(line.substr(equals + 1));
  if (key.empty()) return false;
  switch (section) {
    case Section::kFixed:
      return ReadFixedField(key, value, source.fixed);
    case Section::kTranslation: {
      uint32_t entry = 0;
      if (!ReadTranslationEntry(key, value, entry)) return false;
      source.translations.push_back(entry);
      return true;
    }
    case Section::kStrings:
      if (!IsPlainAscii(key) || !IsPlainAscii(value)) return false;
      source.string_tables.back().strings.push_back(
          StringEntry{std::string(key), std::string(value)});
      return true;
    case Section::kNone:
      break;
  }
  return false;
}

void AppendU16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendU32(std::vector<uint8_t>& out, uint32_t value) {
  AppendU16(out, value & 0xFFFF);
  AppendU16(out, value >> 16);
}

// 8-bit text as zero-terminated UTF-16, one unit per byte.
void AppendText16(std::vector<uint8_t>& out, std::string_view text) {
  for (char c : text) AppendU16(out, static_cast<unsigned char>(c));
  AppendU16(out, 0);
}

// Offsets in the record are aligned to 32 bits from its start.
void PadTo32(std::vector<uint8_t>& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

// Writes a node's header, key and padding; its wLength is filled in by EndNode.
size_t BeginNode(std::vector<uint8_t>& out, std::string_view key, uint32_t value_length,
                 uint16_t type, bool& fits) {
  PadTo32(out);
  size_t start = out.size();
  if (value_length > 0xFFFF) fits = false;
  AppendU16(out, 0);
  AppendU16(out, value_length & 0xFFFF);
  AppendU16(out, type);
  AppendText16(out, key);
  PadTo32(out);
  return start;
}

void EndNode(std::vector<uint8_t>& out, size_t start, bool& fits) {
  size_t length = out.size() - start;
  if (length > 0xFFFF) fits = false;
  out[start] = static_cast<uint8_t>(length);
  out[start + 1] = static_cast<uint8_t>(length >> 8);
}

void AppendFixedBlock(std::vector<uint8_t>& out, const RecordSource& source) {
  const FixedFields& f = source.fixed;
  std::vector<uint8_t> block;
  for (uint32_t word : {kFixedSignature, kFixedStructVersion, f.file_version_ms, f.file_version_ls,
                        f.product_version_ms, f.product_version_ls, f.flags_mask, f.flags,
                        f.file_os, f.file_type, f.file_subtype, f.file_date_ms, f.file_date_ls}) {
    AppendU32(block, word);
  }
  block.resize(source.fixed_length, 0);
  out.insert(out.end(), block.begin(), block.end());
}

void AppendStringFileInfo(std::vector<uint8_t>& out, const RecordSource& source, bool& fits) {
  size_t info = BeginNode(out, "StringFileInfo", 0, 1, fits);
  for (const StringTable& table : source.string_tables) {
    size_t table_start = BeginNode(out, table.name, 0, 1, fits);
    for (const StringEntry& entry : table.strings) {
      // wValueLength of a text value counts its characters with the terminating zero.
      size_t string_start =
          BeginNode(out, entry.key, static_cast<uint32_t>(entry.value.size() + 1), 1, fits);
      AppendText16(out, entry.value);
      EndNode(out, string_start, fits);
    }
    EndNode(out, table_start, fits);
  }
  EndNode(out, info, fits);
}

void AppendVarFileInfo(std::vector<uint8_t>& out, const RecordSource& source, bool& fits) {
  size_t info = BeginNode(out, "VarFileInfo", 0, 1, fits);
  size_t var =
      BeginNode(out, "Translation", static_cast<uint32_t>(4 * source.translations.size()), 0, fits);
  for (uint32_t entry : source.translations) AppendU32(out, entry);
  EndNode(out, var, fits);
  EndNode(out, info, fits);
}

}  // namespace

bool ParseRecordSource(std::string_view text, RecordSource& source, std::string& error) {
  source = RecordSource{};
  Section section = Section::kNone;
  long line_number = 0;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = TrimSpaces(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++line_number;
    if (line.empty() || line[0] == '#') continue;
    bool good = (line.front() == '[' && line.back() == ']') ? ReadSectionLine(line, section, source)
                                                            : ReadValueLine(line, section, source);
    if (!good) {
      error = "line " + std::to_string(line_number) + ": cannot read \"" + std::string(line) + "\"";
      return false;
    }
  }
  return true;
}

std::vector<uint8_t> BuildVersionRecord(const RecordSource& source) {
  std::vector<uint8_t> out;
  bool fits = true;
  size_t root = BeginNode(out, "VS_VERSION_INFO", source.fixed_length, 0, fits);
  if (fits) AppendFixedBlock(out, source);
  if (!source.string_tables.empty()) AppendStringFileInfo(out, source, fits);
  if (!source.translations.empty()) AppendVarFileInfo(out, source, fits);
  EndNode(out, root, fits);
  if (!fits) out.clear();
  return out;
}

}  // namespace version_record
