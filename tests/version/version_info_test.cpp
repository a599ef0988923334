// CVersionInfo: the program's own record, the choice among translations, and files without a
// readable record.
#include "app/version_info.h"

#include <gtest/gtest.h>

#include <cstring>

#include "res/version_record_builder.h"
#include "tests/version/test_support.h"

namespace {

using namespace version_test;

// Every field as Reset leaves it.
void ExpectEmpty(const CVersionInfo& info) {
  const FixedFileInfo zero{};
  EXPECT_EQ(std::memcmp(&info.FixedInfo, &zero, sizeof zero), 0);
  for (const std::string* text :
       {&info.CompanyName, &info.FileDescription, &info.FileVersion, &info.InternalName,
        &info.LegalCopyright, &info.OriginalFileName, &info.ProductName, &info.ProductVersion,
        &info.Comments, &info.LegalTrademarks, &info.PrivateBuild, &info.SpecialBuild}) {
    EXPECT_EQ(*text, "");
  }
}

void ExpectProgramRecord(const CVersionInfo& info) {
  EXPECT_EQ(info.FixedInfo.signature, 0xFEEF04BDu);
  EXPECT_EQ(info.FixedInfo.struct_version, 0x00010000u);
  EXPECT_EQ(info.FixedInfo.file_version_ms, 0x00010000u);
  EXPECT_EQ(info.FixedInfo.file_version_ls, 0x00000001u);
  EXPECT_EQ(info.FixedInfo.product_version_ms, 0x00010000u);
  EXPECT_EQ(info.FixedInfo.product_version_ls, 0x00000001u);
  EXPECT_EQ(info.FixedInfo.flags_mask, 0x3Fu);
  EXPECT_EQ(info.FixedInfo.flags, 0u);
  EXPECT_EQ(info.FixedInfo.file_os, 0x4u);
  EXPECT_EQ(info.FixedInfo.file_type, 0x1u);
  EXPECT_EQ(info.FixedInfo.file_subtype, 0u);
  EXPECT_EQ(info.CompanyName, "Ferrowind");
  EXPECT_EQ(info.GetFileDescription(), "Shapewright convertor");
  EXPECT_EQ(info.GetFileVersion(), "1.3.1.0");
  EXPECT_EQ(info.InternalName, "Shapewright.exe");
  EXPECT_EQ(info.LegalCopyright, "Copyright (C) 2026 Ferrowind");
  EXPECT_EQ(info.OriginalFileName, "Shapewright.exe");  // the record spells it OriginalFilename
  EXPECT_EQ(info.ProductName, "Shapewright");
  EXPECT_EQ(info.ProductVersion, "1.3.1.0");
  EXPECT_EQ(info.Comments, "");
  EXPECT_EQ(info.LegalTrademarks, "");
  EXPECT_EQ(info.PrivateBuild, "");
  EXPECT_EQ(info.SpecialBuild, "");
}

// The file description read from a record in an ELF file, for a user of locale.
std::string DescriptionFor(const std::vector<uint8_t>& record, const std::string& locale) {
  TempFolder folder;
  std::string path = folder.WriteFile("program", MakeElfWithRecord(record));
  ScopedLocale user(locale);
  CVersionInfo info;
  EXPECT_TRUE(info.ReadFromFile(path));
  return info.GetFileDescription();
}

TEST(VersionInfo, NewObjectIsEmpty) {
  CVersionInfo info;
  ExpectEmpty(info);
}

TEST(VersionInfo, ReadsTheRunningProgramsRecordForAnyUserLanguage) {
  for (const char* locale :
       {"en_US.UTF-8", "en_GB.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", "ja_JP.UTF-8", "C"}) {
    SCOPED_TRACE(locale);
    ScopedLocale user(locale);
    CVersionInfo info;
    ASSERT_TRUE(info.ReadFromModule(nullptr));
    ExpectProgramRecord(info);
  }
}

TEST(VersionInfo, OtherModuleHandlesAreNotRead) {
  CVersionInfo info;
  ASSERT_TRUE(info.ReadFromModule(nullptr));
  int some_module = 0;
  EXPECT_FALSE(info.ReadFromModule(&some_module));
  ExpectEmpty(info);
}

TEST(VersionInfo, FilesWithoutAReadableRecordLeaveEverythingEmpty) {
  TempFolder folder;
  std::vector<uint8_t> image =
      MakeElfWithRecord(version_record::BuildVersionRecord(ReadProgramRecordSource()));
  const std::string paths[] = {
      folder.path() + "/missing",
      folder.WriteFile("no-record", MakeElfImage({{".text", {0xC3}}})),
      folder.WriteFile("truncated",
                       std::vector<uint8_t>(image.begin(), image.begin() + image.size() / 2)),
      folder.WriteFile("not-elf", std::vector<uint8_t>(200, 'x')),
  };
  for (const std::string& path : paths) {
    CVersionInfo info;
    ASSERT_TRUE(info.ReadFromModule(nullptr));  // a failed read must also clear an earlier one
    EXPECT_FALSE(info.ReadFromFile(path)) << path;
    ExpectEmpty(info);
  }
}

// --- The choice among translations ---

TEST(VersionInfo, GermanAndEnglishTablesServeEachUser) {
  const std::vector<uint8_t> record =
      MakeTranslatedRecord({{0x04E40809, "British"}, {0x04E40407, "German"}});
  EXPECT_EQ(DescriptionFor(record, "de_DE.UTF-8"), "German");   // exact language
  EXPECT_EQ(DescriptionFor(record, "de_CH.UTF-8"), "German");   // low byte 0x07
  EXPECT_EQ(DescriptionFor(record, "fr_FR.UTF-8"), "British");  // English, by low byte 0x09
  EXPECT_EQ(DescriptionFor(record, "en_US.UTF-8"), "British");  // low byte of 0x0409
}

TEST(VersionInfo, ExactLanguageWinsOverAnEarlierLowByteMatch) {
  const std::vector<uint8_t> record =
      MakeTranslatedRecord({{0x04E40809, "British"}, {0x04E40409, "American"}});
  EXPECT_EQ(DescriptionFor(record, "en_US.UTF-8"), "American");
  EXPECT_EQ(DescriptionFor(record, "en_AU.UTF-8"), "British");  // the first low-byte match
}

TEST(VersionInfo, LanguageNeutralEntryIsChosenBeforeEnglish) {
  const std::vector<uint8_t> only_neutral = MakeTranslatedRecord({{0x04B00000, "Neutral"}});
  for (const char* locale : {"en_US.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", "C"}) {
    EXPECT_EQ(DescriptionFor(only_neutral, locale), "Neutral") << locale;
  }
  const std::vector<uint8_t> english_first =
      MakeTranslatedRecord({{0x04E40409, "American"}, {0x04B00000, "Neutral"}});
  EXPECT_EQ(DescriptionFor(english_first, "fr_FR.UTF-8"), "Neutral");
  EXPECT_EQ(DescriptionFor(english_first, "en_GB.UTF-8"), "American");
}

TEST(VersionInfo, NoMatchTakesTheFirstEntry) {
  const std::vector<uint8_t> record =
      MakeTranslatedRecord({{0x04E40410, "Italian"}, {0x04E40407, "German"}});
  EXPECT_EQ(DescriptionFor(record, "fr_FR.UTF-8"), "Italian");
  EXPECT_EQ(DescriptionFor(record, "de_AT.UTF-8"), "German");
}

TEST(VersionInfo, CodePageFormsTheTableName) {
  // Table "040904b0": the prefix's upper-case "040904B0" finds it, "040904E4" would not.
  const std::vector<uint8_t> record = MakeTranslatedRecord({{0x04B00409, "Unicode"}});
  EXPECT_EQ(DescriptionFor(record, "en_US.UTF-8"), "Unicode");
}

TEST(VersionInfo, RecordWithoutTranslationsReadsNoStrings) {
  version_record::RecordSource source = ReadProgramRecordSource();
  source.translations.clear();
  TempFolder folder;
  std::string path =
      folder.WriteFile("program", MakeElfWithRecord(version_record::BuildVersionRecord(source)));
  CVersionInfo info;
  EXPECT_TRUE(info.ReadFromFile(path));
  EXPECT_EQ(info.FixedInfo.signature, 0xFEEF04BDu);
  EXPECT_EQ(info.GetFileDescription(), "");
  EXPECT_EQ(info.CompanyName, "");
}

TEST(VersionInfo, FixedBlockOfAnotherLengthStaysZeroWhileStringsAreRead) {
  for (uint32_t fixed_length : {0u, 48u, 56u}) {
    version_record::RecordSource source = ReadProgramRecordSource();
    source.fixed_length = fixed_length;
    TempFolder folder;
    std::string path =
        folder.WriteFile("program", MakeElfWithRecord(version_record::BuildVersionRecord(source)));
    CVersionInfo info;
    EXPECT_TRUE(info.ReadFromFile(path)) << fixed_length;
    EXPECT_EQ(info.FixedInfo.signature, 0u) << fixed_length;
    EXPECT_EQ(info.GetFileVersion(), "1.3.1.0") << fixed_length;
  }
}

// --- FindTranslation ---

TEST(FindTranslation, SearchesExactThenLowByte) {
  const uint8_t table[] = {0x09, 0x08, 0xE4, 0x04, 0x07, 0x04, 0xE4, 0x04};  // 0x0809, 0x0407
  const struct {
    uint32_t size;
    uint16_t language;
    bool allow_low_byte;
    bool found;
    uint32_t entry;
  } cases[] = {
      {8, 0x0407, false, true, 0x04E40407},
      {8, 0x0809, false, true, 0x04E40809},
      {8, 0x0807, false, false, 0},
      {8, 0x0807, true, true, 0x04E40407},
      {8, 0x0009, true, true, 0x04E40809},
      {8, 0x0409, true, true, 0x04E40809},
      {8, 0x040C, true, false, 0},
      {7, 0x0407, true, false, 0},  // only whole entries count
      {4, 0x0809, false, true, 0x04E40809},
      {0, 0x0809, true, false, 0},
  };
  for (const auto& c : cases) {
    uint32_t entry = 0xDEADBEEF;
    EXPECT_EQ(CVersionInfo::FindTranslation(table, c.size, c.language, entry, c.allow_low_byte),
              c.found)
        << c.size << " " << c.language;
    if (c.found) {
      EXPECT_EQ(entry, c.entry) << c.size << " " << c.language;
    }
  }
  uint32_t entry = 0;
  EXPECT_FALSE(CVersionInfo::FindTranslation(nullptr, 8, 0x0409, entry, true));
}

}  // namespace
