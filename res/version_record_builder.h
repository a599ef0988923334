// Builds a version record in the binary layout the Windows version API reads (VS_VERSIONINFO
// with VS_FIXEDFILEINFO, StringFileInfo and VarFileInfo) from its readable source. Used by
// make_version_record at build time and by the tests to make records of their own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace version_record {

// The fields of VS_FIXEDFILEINFO after its signature and structure version.
struct FixedFields {
  uint32_t file_version_ms = 0;
  uint32_t file_version_ls = 0;
  uint32_t product_version_ms = 0;
  uint32_t product_version_ls = 0;
  uint32_t flags_mask = 0;
  uint32_t flags = 0;
  uint32_t file_os = 0;
  uint32_t file_type = 0;
  uint32_t file_subtype = 0;
  uint32_t file_date_ms = 0;
  uint32_t file_date_ls = 0;
};

struct StringEntry {
  std::string key;
  std::string value;  // 8-bit text; each byte becomes one UTF-16 unit
};

struct StringTable {
  std::string name;  // e.g. "040904e4"
  std::vector<StringEntry> strings;
};

struct RecordSource {
  FixedFields fixed;
  // Bytes of the fixed block written: 52 as usual; 0 writes none, other lengths are for tests
  // (the 52-byte block cut short or followed by zeros).
  uint32_t fixed_length = 52;
  std::vector<StringTable> string_tables;  // none: no StringFileInfo
  // Translation entries, each the language in the low 16 bits and the code page in the high
  // 16 bits; none: no VarFileInfo.
  std::vector<uint32_t> translations;
};

constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr uint32_t kFixedStructVersion = 0x00010000;
constexpr uint32_t kFixedBlockSize = 52;

// Reads the readable source (see res/version.txt). On a malformed line returns false with
// error naming the line number and the fault.
bool ParseRecordSource(std::string_view text, RecordSource& source, std::string& error);

// Lays the record out. Returns an empty vector when a node would exceed the 16-bit lengths
// of the layout.
std::vector<uint8_t> BuildVersionRecord(const RecordSource& source);

}  // namespace version_record
