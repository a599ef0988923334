// CVersionInfo: the program's own record and the choice among translations.
#include "platform/version_info.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/common/common.h"
#include "tests/version/support.h"

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

TEST(VersionInfo, ReadsTheRunningProgramsRecordForAnyUserLanguage) {
  ExpectEmpty(CVersionInfo());
  for (const char* locale : {"en_US.UTF-8", "de_DE.UTF-8", "ja_JP.UTF-8", "C"}) {
    SCOPED_TRACE(locale);
    ScopedLocale user(locale);
    CVersionInfo info;
    ASSERT_TRUE(info.ReadFromModule(nullptr));
    // Every fixed field as the record stores it at 40, and file version 1.0.0.1 in it.
    EXPECT_EQ(std::memcmp(&info.FixedInfo, ProgramRecord().data() + 40, 52), 0);
    EXPECT_EQ(uint64_t{info.FixedInfo.file_version_ms} << 32 | info.FixedInfo.file_version_ls,
              0x0001000000000001u);
    EXPECT_EQ(info.CompanyName, "Ferrowind");
    EXPECT_EQ(info.GetFileDescription(), "Shapewright convertor");
    EXPECT_EQ(info.GetFileVersion(), "1.3.1.0");
    EXPECT_EQ(info.OriginalFileName, "Shapewright.exe");  // the record spells it OriginalFilename
    EXPECT_EQ(info.ProductVersion, "1.3.1.0");
    EXPECT_FALSE(info.ReadFromFile("/nonexistent"));  // and a failed read clears it all
    ExpectEmpty(info);
  }
}

// The exact language, then a low-byte match, then language neutral, then English (low byte
// 0x09), then the first entry; the code page forms the table name.
TEST(VersionInfo, ChoosesTheTranslationForTheUser) {
  SKIP_ON_WINDOWS("reads records from ELF files of its own; the system reads the language");
  using Tables = std::vector<std::pair<uint32_t, std::string>>;
  const Tables british_german = {{0x04E40809, "British"}, {0x04E40407, "German"}};
  const Tables british_american = {{0x04E40809, "British"}, {0x04E40409, "American"}};
  const Tables american_neutral = {{0x04E40409, "American"}, {0x04B00000, "Neutral"}};
  const Tables italian_german = {{0x04E40410, "Italian"}, {0x04E40407, "German"}};
  const struct {
    Tables tables;
    const char* locale;
    const char* description;
  } cases[] = {
      {british_german, "de_DE.UTF-8", "German"},
      {british_german, "de_CH.UTF-8", "German"},   // low byte 0x07
      {british_german, "fr_FR.UTF-8", "British"},  // English, by low byte 0x09
      {british_german, "en_US.UTF-8", "British"},
      {british_american, "en_US.UTF-8", "American"},  // exact wins over an earlier low byte
      {british_american, "en_AU.UTF-8", "British"},   // the first low-byte match
      {{{0x04B00000, "Neutral"}}, "de_DE.UTF-8", "Neutral"},
      {american_neutral, "fr_FR.UTF-8", "Neutral"},  // neutral before English
      {american_neutral, "en_GB.UTF-8", "American"},
      {italian_german, "fr_FR.UTF-8", "Italian"},             // no match: the first entry
      {{{0x04B00409, "Unicode"}}, "en_US.UTF-8", "Unicode"},  // table "040904b0"
  };
  test::TempFolder folder;
  for (const auto& c : cases) {
    std::string path = folder.Write("program", ElfWithRecord(TranslatedRecord(c.tables)));
    ScopedLocale user(c.locale);
    CVersionInfo info;
    EXPECT_TRUE(info.ReadFromFile(path));
    EXPECT_EQ(info.GetFileDescription(), c.description) << c.locale << " " << c.tables[0].second;
  }
}

}  // namespace
