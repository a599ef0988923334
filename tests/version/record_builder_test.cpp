// The record's readable source and its binary layout.
#include <gtest/gtest.h>

#include "res/version_record_builder.h"
#include "tests/version/test_support.h"

namespace {

using version_record::BuildVersionRecord;
using version_record::ParseRecordSource;
using version_record::RecordSource;
using version_test::Concat;
using version_test::Wide;

TEST(RecordSource, ProgramSourceHoldsTheProgramsRecord) {
  RecordSource source = version_test::ReadProgramRecordSource();
  EXPECT_EQ(source.fixed.file_version_ms, 0x00010000u);
  EXPECT_EQ(source.fixed.file_version_ls, 0x00000001u);
  EXPECT_EQ(source.fixed.product_version_ms, 0x00010000u);
  EXPECT_EQ(source.fixed.product_version_ls, 0x00000001u);
  EXPECT_EQ(source.fixed.flags_mask, 0x3Fu);
  EXPECT_EQ(source.fixed.flags, 0u);
  EXPECT_EQ(source.fixed.file_os, 0x4u);
  EXPECT_EQ(source.fixed.file_type, 0x1u);
  EXPECT_EQ(source.fixed.file_subtype, 0u);
  ASSERT_EQ(source.translations, std::vector<uint32_t>{0x04E40409});
  ASSERT_EQ(source.string_tables.size(), 1u);
  EXPECT_EQ(source.string_tables[0].name, "040904e4");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"CompanyName", "Ferrowind"},
      {"FileDescription", "Shapewright convertor"},
      {"FileVersion", "1.3.1.0"},
      {"InternalName", "Shapewright.exe"},
      {"LegalCopyright", "Copyright (C) 2026 Ferrowind"},
      {"OriginalFilename", "Shapewright.exe"},
      {"ProductName", "Shapewright"},
      {"ProductVersion", "1.3.1.0"},
  };
  ASSERT_EQ(source.string_tables[0].strings.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(source.string_tables[0].strings[i].key, expected[i].first);
    EXPECT_EQ(source.string_tables[0].strings[i].value, expected[i].second);
  }
}

TEST(RecordSource, ReadsNumbersVersionsAndSpacedText) {
  RecordSource source;
  std::string error;
  ASSERT_TRUE(
      ParseRecordSource("# comment\r\n[fixed]\r\nfile_version = 65535.2.3.4\r\n"
                        "flags = 0xFFFFFFFF\r\nfile_date_ls = 17\r\n"
                        "[translation]\nentry = 0x0407\t1252\n"
                        "[strings 040704e4]\n  Comments =  two  words  \n",
                        source, error))
      << error;
  EXPECT_EQ(source.fixed.file_version_ms, 0xFFFF0002u);
  EXPECT_EQ(source.fixed.file_version_ls, 0x00030004u);
  EXPECT_EQ(source.fixed.flags, 0xFFFFFFFFu);
  EXPECT_EQ(source.fixed.file_date_ls, 17u);
  EXPECT_EQ(source.translations, std::vector<uint32_t>{0x04E40407});
  ASSERT_EQ(source.string_tables.size(), 1u);
  ASSERT_EQ(source.string_tables[0].strings.size(), 1u);
  EXPECT_EQ(source.string_tables[0].strings[0].value, "two  words");
}

TEST(RecordSource, RejectsMalformedLinesNamingTheLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"[fixed]\nfile_version = 1.0.0\n", "line 2: cannot read \"file_version = 1.0.0\""},
      {"[fixed]\nfile_version = 1.0.0.1.2\n", "line 2: cannot read \"file_version = 1.0.0.1.2\""},
      {"[fixed]\nfile_version = 1.65536.0.0\n",
       "line 2: cannot read \"file_version = 1.65536.0.0\""},
      {"[fixed]\n\nflags = 0x1G\n", "line 3: cannot read \"flags = 0x1G\""},
      {"[fixed]\nflags = 0x100000000\n", "line 2: cannot read \"flags = 0x100000000\""},
      {"[fixed]\nflags = -1\n", "line 2: cannot read \"flags = -1\""},
      {"[fixed]\ncolour = 1\n", "line 2: cannot read \"colour = 1\""},
      {"[translation]\nentry = 0x10000 0\n", "line 2: cannot read \"entry = 0x10000 0\""},
      {"[translation]\nentry = 0x0409\n", "line 2: cannot read \"entry = 0x0409\""},
      {"CompanyName = Ferrowind\n", "line 1: cannot read \"CompanyName = Ferrowind\""},
      {"[strings]\n", "line 1: cannot read \"[strings]\""},
      {"[other]\n", "line 1: cannot read \"[other]\""},
      {"[strings 040904e4]\nCompanyName\n", "line 2: cannot read \"CompanyName\""},
      {"[strings 040904e4]\n= x\n", "line 2: cannot read \"= x\""},
      {"[strings 040904e4]\nLegalCopyright = \xC2\xA9 2026\n",
       "line 2: cannot read \"LegalCopyright = \xC2\xA9 2026\""},
  };
  for (const auto& c : cases) {
    RecordSource source;
    std::string error;
    EXPECT_FALSE(ParseRecordSource(c.text, source, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

// Every node: wLength, wValueLength, wType, the UTF-16 key, padding to 32 bits, the value.
TEST(RecordLayout, LaysOutNodesWithTheirLengthsAndPadding) {
  RecordSource source;
  source.fixed_length = 0;
  source.string_tables = {{"040904e4", {{"A", "x"}}}};
  source.translations = {0x04E40409};
  const std::vector<uint8_t> expected = Concat({
      {184, 0, 0, 0, 0, 0},
      Wide("VS_VERSION_INFO"),
      {0, 0},  // 0: root, no fixed block
      {76, 0, 0, 0, 1, 0},
      Wide("StringFileInfo"),  // 40
      {40, 0, 0, 0, 1, 0},
      Wide("040904e4"),  // 76
      {16, 0, 2, 0, 1, 0},
      Wide("A"),
      {0, 0},
      Wide("x"),  // 100: 2 characters
      {68, 0, 0, 0, 1, 0},
      Wide("VarFileInfo"),
      {0, 0},  // 116
      {36, 0, 4, 0, 0, 0},
      Wide("Translation"),
      {0, 0},                    // 148: 4 bytes
      {0x09, 0x04, 0xE4, 0x04},  // 180
  });
  EXPECT_EQ(BuildVersionRecord(source), expected);
}

TEST(RecordLayout, NextSiblingStartsOnA32BitBoundary) {
  RecordSource source;
  source.fixed_length = 0;
  source.string_tables = {{"t", {{"A", "xy"}, {"B", ""}}}};
  const std::vector<uint8_t> expected = Concat({
      {122, 0, 0, 0, 0, 0},
      Wide("VS_VERSION_INFO"),
      {0, 0},  // 0
      {82, 0, 0, 0, 1, 0},
      Wide("StringFileInfo"),  // 40
      {46, 0, 0, 0, 1, 0},
      Wide("t"),
      {0, 0},  // 76
      {18, 0, 3, 0, 1, 0},
      Wide("A"),
      {0, 0},
      Wide("xy"),
      {0, 0},  // 88, padded to 108
      {14, 0, 1, 0, 1, 0},
      Wide("B"),
      {0, 0},
      Wide(""),  // 108, ends at 122
  });
  EXPECT_EQ(BuildVersionRecord(source), expected);
}

TEST(RecordLayout, FixedBlockStartsWithSignatureAndStructVersion) {
  std::vector<uint8_t> record = BuildVersionRecord(version_test::ReadProgramRecordSource());
  ASSERT_GE(record.size(), 92u);
  EXPECT_EQ(version_test::ReadLe16(record, 0), record.size());
  EXPECT_EQ(version_test::ReadLe16(record, 2), 52);  // wValueLength of the fixed block
  const std::vector<uint8_t> expected_fixed = {
      0xBD, 0x04, 0xEF, 0xFE, 0x00, 0x00, 0x01, 0x00,  // signature, structure version
      0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00,  // file version 1.0.0.1
      0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00,  // product version 1.0.0.1
      0x3F, 0,    0,    0,    0,    0,    0,    0,    0x04, 0, 0, 0,
      0x01, 0,    0,    0,                                            // mask, flags, OS, type
      0,    0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0,  // subtype, date
  };
  EXPECT_EQ(std::vector<uint8_t>(record.begin() + 40, record.begin() + 92), expected_fixed);
}

TEST(RecordLayout, RefusesValuesBeyondSixteenBitLengths) {
  RecordSource source;
  source.string_tables = {{"040904e4", {{"Comments", std::string(40000, 'c')}}}};
  EXPECT_TRUE(BuildVersionRecord(source).empty());
  source.string_tables.clear();
  source.fixed_length = 70000;
  EXPECT_TRUE(BuildVersionRecord(source).empty());
}

}  // namespace
