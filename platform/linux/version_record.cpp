#include "platform/version_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

constexpr std::string_view kRecordSectionName = ".sw_version";

constexpr uint64_t kElfHeaderSize = 64;
constexpr uint64_t kSectionHeaderSize = 64;
constexpr uint32_t kSectionTypeNoBits = 8;          // SHT_NOBITS: no bytes in the file
constexpr uint16_t kSectionIndexReserved = 0xFF00;  // SHN_LORESERVE
constexpr uint64_t kNodeHeaderSize = 6;             // wLength, wValueLength, wType

uint16_t ReadLe16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }

uint32_t ReadLe32(const uint8_t* bytes) {
  return static_cast<uint32_t>(ReadLe16(bytes)) | static_cast<uint32_t>(ReadLe16(bytes + 2)) << 16;
}

uint64_t ReadLe64(const uint8_t* bytes) {
  return static_cast<uint64_t>(ReadLe32(bytes)) | static_cast<uint64_t>(ReadLe32(bytes + 4)) << 32;
}

// An executable file opened for reading, with its size; closes itself.
struct ElfFile {
  int fd = -1;
  uint64_t size = 0;
  ~ElfFile() {
    if (fd >= 0) close(fd);
  }
};

// Opens only regular files (O_NONBLOCK: a FIFO named by path must not hang the open).
bool OpenElfFile(const std::string& path, ElfFile& file) {
  file.fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (file.fd < 0) return false;
  struct stat status {};
  if (fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0) return false;
  file.size = static_cast<uint64_t>(status.st_size);
  return true;
}

// Reads exactly count bytes at offset, which must lie inside the file.
bool ReadFileBytes(const ElfFile& file, uint64_t offset, uint64_t count, uint8_t* bytes) {
  if (offset > file.size || count > file.size - offset) return false;
  uint64_t done = 0;
  while (done < count) {
    ssize_t got = pread(file.fd, bytes + done, count - done, static_cast<off_t>(offset + done));
    if (got <= 0) return false;
    done += static_cast<uint64_t>(got);
  }
  return true;
}

struct SectionHeader {
  uint32_t name = 0;
  uint32_t type = 0;
  uint64_t offset = 0;
  uint64_t size = 0;
};

// The section header table as the ELF header announces it.
struct SectionTable {
  uint64_t offset = 0;
  uint64_t entry_size = 0;
  uint64_t count = 0;
  uint64_t names_index = 0;
};

// A little-endian ELF64 header whose section table lies inside the file. Counts held
// elsewhere (the SHN_XINDEX escapes) are not followed: such a file has no record for us.
bool ReadSectionTable(const ElfFile& file, SectionTable& table) {
  uint8_t header[kElfHeaderSize];
  if (!ReadFileBytes(file, 0, kElfHeaderSize, header)) return false;
  if (header[0] != 0x7F || header[1] != 'E' || header[2] != 'L' || header[3] != 'F') return false;
  if (header[4] != 2 || header[5] != 1) return false;  // ELFCLASS64, ELFDATA2LSB
  table.offset = ReadLe64(header + 0x28);
  table.entry_size = ReadLe16(header + 0x3A);
  table.count = ReadLe16(header + 0x3C);
  table.names_index = ReadLe16(header + 0x3E);
  if (table.entry_size < kSectionHeaderSize || table.count == 0) return false;
  if (table.count >= kSectionIndexReserved || table.names_index >= table.count) return false;
  // entry_size and count are 16-bit, so their product cannot overflow.
  return table.offset <= file.size && table.entry_size * table.count <= file.size - table.offset;
}

bool ReadSectionHeader(const ElfFile& file, const SectionTable& table, uint64_t index,
                       SectionHeader& section) {
  uint8_t bytes[kSectionHeaderSize];
  if (index >= table.count) return false;
  if (!ReadFileBytes(file, table.offset + index * table.entry_size, kSectionHeaderSize, bytes)) {
    return false;
  }
  section.name = ReadLe32(bytes + 0x00);
  section.type = ReadLe32(bytes + 0x04);
  section.offset = ReadLe64(bytes + 0x18);
  section.size = ReadLe64(bytes + 0x20);
  if (section.type == kSectionTypeNoBits) section.size = 0;
  return section.offset <= file.size && section.size <= file.size - section.offset;
}

// Whether the name at offset name in the section-name table is exactly kRecordSectionName.
bool IsRecordSectionName(const ElfFile& file, const SectionHeader& names, uint32_t name) {
  uint8_t bytes[kRecordSectionName.size() + 1];
  if (name > names.size || sizeof bytes > names.size - name) return false;
  if (!ReadFileBytes(file, names.offset + name, sizeof bytes, bytes)) return false;
  return std::string_view(reinterpret_cast<const char*>(bytes), kRecordSectionName.size()) ==
             kRecordSectionName &&
         bytes[kRecordSectionName.size()] == 0;
}

// The file's record section; false when the file is no readable ELF64 file or has none.
bool FindRecordSection(const ElfFile& file, SectionHeader& record) {
  SectionTable table;
  SectionHeader names;
  if (!ReadSectionTable(file, table) || !ReadSectionHeader(file, table, table.names_index, names)) {
    return false;
  }
  for (uint64_t index = 0; index < table.count; ++index) {
    SectionHeader section;
    if (!ReadSectionHeader(file, table, index, section)) continue;
    if (IsRecordSectionName(file, names, section.name)) {
      record = section;
      return true;
    }
  }
  return false;
}

// The record's size: its root node's wLength, which must fit in the section.
uint32_t ReadRecordSize(const ElfFile& file, const SectionHeader& record) {
  uint8_t length[2];
  if (record.size < kNodeHeaderSize || !ReadFileBytes(file, record.offset, 2, length)) return 0;
  uint32_t size = ReadLe16(length);
  return (size >= kNodeHeaderSize && size <= record.size) ? size : 0;
}

// One node of the VS_VERSIONINFO tree, as offsets into the block.
struct VersionNode {
  size_t start = 0;
  size_t end = 0;  // start + wLength
  uint16_t value_length = 0;
  uint16_t type = 0;  // 1: text, counted in 16-bit units; otherwise bytes
  size_t key = 0;     // first unit of the zero-terminated UTF-16 key
  size_t value = 0;
  size_t children = 0;
};

size_t AlignTo32(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

// Reads the node at offset, which must lie wholly before limit (its parent's end) and have a
// terminated key.
bool ReadVersionNode(const std::vector<uint8_t>& block, size_t offset, size_t limit,
                     VersionNode& node) {
  if (limit > block.size() || offset > limit || limit - offset < kNodeHeaderSize) return false;
  const uint8_t* bytes = block.data();
  size_t length = ReadLe16(bytes + offset);
  if (length < kNodeHeaderSize || length > limit - offset) return false;
  node.start = offset;
  node.end = offset + length;
  node.value_length = ReadLe16(bytes + offset + 2);
  node.type = ReadLe16(bytes + offset + 4);
  node.key = offset + kNodeHeaderSize;
  size_t unit = node.key;
  while (unit + 2 <= node.end && ReadLe16(bytes + unit) != 0) unit += 2;
  if (unit + 2 > node.end) return false;
  node.value = std::min(AlignTo32(unit + 2), node.end);
  size_t value_bytes = node.type == 1 ? 2 * size_t{node.value_length} : node.value_length;
  node.children = std::min(AlignTo32(node.value + value_bytes), node.end);
  return true;
}

// Compares a node's key with a path component, ignoring the case of ASCII letters.
bool IsKeyNamed(const std::vector<uint8_t>& block, const VersionNode& node, std::string_view name) {
  size_t unit = node.key;
  for (char c : name) {
    uint16_t key_unit = ReadLe16(block.data() + unit);
    uint16_t wanted = static_cast<unsigned char>(c);
    auto lower = [](uint16_t u) -> uint16_t {
      return (u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u;
    };
    if (key_unit == 0 || lower(key_unit) != lower(wanted)) return false;
    unit += 2;
  }
  return ReadLe16(block.data() + unit) == 0;  // the key is known to be terminated
}

// The child of parent named name; every sibling step moves forward by at least one header.
bool FindChildNode(const std::vector<uint8_t>& block, const VersionNode& parent,
                   std::string_view name, VersionNode& child) {
  size_t offset = parent.children;
  while (offset < parent.end && parent.end - offset >= kNodeHeaderSize) {
    if (!ReadVersionNode(block, offset, parent.end, child)) return false;
    if (IsKeyNamed(block, child, name)) return true;
    offset = AlignTo32(child.end);
  }
  return false;
}

// A text value: up to its first zero, within both its wValueLength and its node.
void ReadTextValue(const std::vector<uint8_t>& block, const VersionNode& node, uint32_t& length,
                   std::string* text) {
  size_t units = std::min<size_t>(node.value_length, (node.end - node.value) / 2);
  length = 0;
  while (length < units && ReadLe16(block.data() + node.value + 2 * size_t{length}) != 0) ++length;
  if (text == nullptr) return;
  text->clear();
  // Narrowed as all text in the program is: the low byte of each unit.
  for (uint32_t i = 0; i < length; ++i) {
    text->push_back(static_cast<char>(block[node.value + 2 * size_t{i}]));
  }
}

constexpr uint16_t kUsEnglish = 0x0409;
constexpr uint16_t kSublangDefault = 0x01;

// Windows language identifiers of the usual language_COUNTRY locales.
struct LocaleLanguage {
  std::string_view locale;
  uint16_t language_id;
};
constexpr LocaleLanguage kLocaleLanguages[] = {
    {"ar_SA", 0x0401}, {"bg_BG", 0x0402}, {"ca_ES", 0x0403}, {"zh_TW", 0x0404}, {"cs_CZ", 0x0405},
    {"da_DK", 0x0406}, {"de_DE", 0x0407}, {"el_GR", 0x0408}, {"en_US", 0x0409}, {"es_ES", 0x0C0A},
    {"fi_FI", 0x040B}, {"fr_FR", 0x040C}, {"he_IL", 0x040D}, {"hu_HU", 0x040E}, {"is_IS", 0x040F},
    {"it_IT", 0x0410}, {"ja_JP", 0x0411}, {"ko_KR", 0x0412}, {"nl_NL", 0x0413}, {"nb_NO", 0x0414},
    {"pl_PL", 0x0415}, {"pt_BR", 0x0416}, {"ro_RO", 0x0418}, {"ru_RU", 0x0419}, {"hr_HR", 0x041A},
    {"sk_SK", 0x041B}, {"sq_AL", 0x041C}, {"sv_SE", 0x041D}, {"th_TH", 0x041E}, {"tr_TR", 0x041F},
    {"id_ID", 0x0421}, {"uk_UA", 0x0422}, {"be_BY", 0x0423}, {"sl_SI", 0x0424}, {"et_EE", 0x0425},
    {"lv_LV", 0x0426}, {"lt_LT", 0x0427}, {"vi_VN", 0x042A}, {"eu_ES", 0x042D}, {"zh_CN", 0x0804},
    {"de_CH", 0x0807}, {"en_GB", 0x0809}, {"es_MX", 0x080A}, {"fr_BE", 0x080C}, {"it_CH", 0x0810},
    {"nl_BE", 0x0813}, {"nn_NO", 0x0814}, {"pt_PT", 0x0816}, {"sv_FI", 0x081D}, {"zh_HK", 0x0C04},
    {"de_AT", 0x0C07}, {"en_AU", 0x0C09}, {"fr_CA", 0x0C0C}, {"de_LU", 0x1007}, {"en_CA", 0x1009},
    {"fr_CH", 0x100C}, {"de_LI", 0x1407}, {"en_NZ", 0x1409}, {"fr_LU", 0x140C}, {"en_IE", 0x1809},
    {"en_ZA", 0x1C09}, {"es_AR", 0x2C0A}, {"en_IN", 0x4009},
};

// Primary language identifiers, for a locale with only a language or an unlisted country.
struct PrimaryLanguage {
  std::string_view language;
  uint16_t primary_id;
};
constexpr PrimaryLanguage kPrimaryLanguages[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
    {"nl", 0x13}, {"nb", 0x14}, {"nn", 0x14}, {"no", 0x14}, {"pl", 0x15}, {"pt", 0x16},
    {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C}, {"sv", 0x1D},
    {"th", 0x1E}, {"tr", 0x1F}, {"id", 0x21}, {"uk", 0x22}, {"be", 0x23}, {"sl", 0x24},
    {"et", 0x25}, {"lv", 0x26}, {"lt", 0x27}, {"vi", 0x2A}, {"eu", 0x2D},
};

// "de_CH.UTF-8@euro" as a language identifier: the pair when listed, else the language with
// its default sublanguage, else U.S. English (also for "C" and "POSIX").
uint16_t LanguageIdForLocale(std::string_view locale) {
  locale = locale.substr(0, locale.find_first_of(".@"));
  for (const LocaleLanguage& entry : kLocaleLanguages) {
    if (entry.locale == locale) return entry.language_id;
  }
  std::string_view language = locale.substr(0, locale.find('_'));
  for (const PrimaryLanguage& entry : kPrimaryLanguages) {
    if (entry.language == language)
      return static_cast<uint16_t>(kSublangDefault << 10 | entry.primary_id);
  }
  return kUsEnglish;
}

}  // namespace

uint32_t GetFileVersionInfoSize(const std::string& path) {
  ElfFile file;
  SectionHeader record;
  if (!OpenElfFile(path, file) || !FindRecordSection(file, record)) return 0;
  return ReadRecordSize(file, record);
}

bool GetFileVersionInfo(const std::string& path, std::vector<uint8_t>& block) {
  ElfFile file;
  SectionHeader record;
  if (!OpenElfFile(path, file) || !FindRecordSection(file, record)) return false;
  uint32_t size = ReadRecordSize(file, record);
  if (size == 0) return false;
  block.assign(size, 0);
  if (!ReadFileBytes(file, record.offset, size, block.data())) {
    block.clear();
    return false;
  }
  return true;
}

bool VerQueryValue(const std::vector<uint8_t>& block, const std::string& sub_block,
                   const uint8_t*& value, uint32_t& length, std::string* text) {
  VersionNode node;
  if (!ReadVersionNode(block, 0, block.size(), node)) return false;
  std::string_view path = sub_block;
  while (!path.empty()) {
    size_t separator = path.find('\\');
    std::string_view name = path.substr(0, separator);
    path.remove_prefix(separator == std::string_view::npos ? path.size() : separator + 1);
    if (name.empty()) continue;
    VersionNode child;
    if (!FindChildNode(block, node, name, child)) return false;
    node = child;
  }
  value = block.data() + node.value;
  if (node.type == 1) {
    ReadTextValue(block, node, length, text);
    return true;
  }
  // A binary value must lie wholly inside its node.
  if (node.value_length > node.end - node.value) return false;
  length = node.value_length;
  if (text != nullptr) text->clear();
  return true;
}

uint16_t GetUserDefaultLangID() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* locale = std::getenv(variable);
    if (locale != nullptr && locale[0] != 0) return LanguageIdForLocale(locale);
  }
  return kUsEnglish;
}

}  // namespace platform
