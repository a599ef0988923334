// Reader of an executable's version record: the program's file description and version.
#pragma once

#include <cstdint>
#include <string>

// The record's fixed block, in the layout of the Windows VS_FIXEDFILEINFO (52 bytes).
struct FixedFileInfo {
  uint32_t signature;
  uint32_t struct_version;
  uint32_t file_version_ms;
  uint32_t file_version_ls;
  uint32_t product_version_ms;
  uint32_t product_version_ls;
  uint32_t flags_mask;
  uint32_t flags;
  uint32_t file_os;
  uint32_t file_type;
  uint32_t file_subtype;
  uint32_t file_date_ms;
  uint32_t file_date_ls;
};
static_assert(sizeof(FixedFileInfo) == 52);

class CVersionInfo {
 public:
  CVersionInfo();
  virtual ~CVersionInfo() = default;

  // Sets the fixed block to zero and empties the twelve strings.
  virtual void Reset();

  // Reads the record of the running program (module is null) from its executable file; there
  // are no other module handles here, so any other module gives false, everything empty.
  bool ReadFromModule(const void* module = nullptr);
  // Reads the record of the executable at path; false (and everything empty) when the file
  // has no readable record.
  bool ReadFromFile(const std::string& path);

  std::string GetFileDescription() const { return FileDescription; }
  std::string GetFileVersion() const { return FileVersion; }

  // Searches size bytes of 4-byte entries (16-bit language, 16-bit code page) for language,
  // then, when allow_low_byte, for the first entry whose language has the same low byte.
  static bool FindTranslation(const uint8_t* table, uint32_t size, uint16_t language,
                              uint32_t& entry, bool allow_low_byte);

  FixedFileInfo FixedInfo;
  std::string CompanyName;
  std::string FileDescription;
  std::string FileVersion;
  std::string InternalName;
  std::string LegalCopyright;
  std::string OriginalFileName;
  std::string ProductName;
  std::string ProductVersion;
  std::string Comments;
  std::string LegalTrademarks;
  std::string PrivateBuild;
  std::string SpecialBuild;
};
