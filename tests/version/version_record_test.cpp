// Reading the record from an executable file, looking values up in it, and the user's
// default language.
#include "platform/version_record.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/files.h"
#include "res/version_record_builder.h"
#include "tests/version/test_support.h"

namespace {

using platform::GetFileVersionInfo;
using platform::GetFileVersionInfoSize;
using platform::VerQueryValue;
using namespace version_test;

std::vector<uint8_t> ProgramRecord() {
  return version_record::BuildVersionRecord(ReadProgramRecordSource());
}

// Both the size and the read fail for the file.
void ExpectNoRecord(const std::string& path) {
  EXPECT_EQ(GetFileVersionInfoSize(path), 0u) << path;
  std::vector<uint8_t> block;
  EXPECT_FALSE(GetFileVersionInfo(path, block)) << path;
}

// --- The record in an ELF file ---

TEST(RecordFile, OwnExecutableCarriesTheRecordBuiltFromItsSource) {
  const std::string self = platform::RunningProgramPath();
  const std::vector<uint8_t> expected = ProgramRecord();
  EXPECT_EQ(GetFileVersionInfoSize(self), expected.size());
  std::vector<uint8_t> block;
  ASSERT_TRUE(GetFileVersionInfo(self, block));
  EXPECT_EQ(block, expected);
}

TEST(RecordFile, FindsTheRecordSectionAmongOthers) {
  TempFolder folder;
  const std::vector<uint8_t> record = ProgramRecord();
  std::string path = folder.WriteFile("a.out", MakeElfWithRecord(record));
  EXPECT_EQ(GetFileVersionInfoSize(path), record.size());
  std::vector<uint8_t> block;
  ASSERT_TRUE(GetFileVersionInfo(path, block));
  EXPECT_EQ(block, record);
}

TEST(RecordFile, SectionLongerThanTheRecordGivesTheRecordsOwnLength) {
  TempFolder folder;
  std::vector<uint8_t> padded = ProgramRecord();
  const size_t size = padded.size();
  padded.resize(size + 16, 0xEE);
  std::string path = folder.WriteFile("a.out", MakeElfWithRecord(padded));
  EXPECT_EQ(GetFileVersionInfoSize(path), size);
  std::vector<uint8_t> block;
  ASSERT_TRUE(GetFileVersionInfo(path, block));
  EXPECT_EQ(block.size(), size);
}

TEST(RecordFile, FilesWithoutARecordGiveNone) {
  TempFolder folder;
  ExpectNoRecord(folder.path() + "/missing");
  ExpectNoRecord(folder.path());
  ExpectNoRecord(folder.WriteFile("empty", {}));
  ExpectNoRecord(folder.WriteFile("text", {'h', 'e', 'l', 'l', 'o', '\n'}));
  ExpectNoRecord(
      folder.WriteFile("other.so", MakeElfImage({{".text", {0xC3}}, {".data", {1, 2, 3, 4}}})));
  ExpectNoRecord(folder.WriteFile("similar", MakeElfImage({{".sw_versions", ProgramRecord()},
                                                           {".sw_versio", ProgramRecord()}})));
  std::string fifo = folder.path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ExpectNoRecord(fifo);  // must not wait for a writer
}

TEST(RecordFile, EveryTruncationOfTheFileGivesNone) {
  TempFolder folder;
  const std::vector<uint8_t> image = MakeElfWithRecord(ProgramRecord());
  for (size_t size = 0; size < image.size(); ++size) {
    ExpectNoRecord(
        folder.WriteFile("cut", std::vector<uint8_t>(image.begin(), image.begin() + size)));
  }
}

// One hostile change to an otherwise good image.
struct ImageFault {
  const char* what;
  void (*apply)(std::vector<uint8_t>& image);
};

constexpr size_t kRecordSectionIndex = 2;  // after the null section and ".text"
constexpr size_t kNameField = 0x00, kTypeField = 0x04, kOffsetField = 0x18, kSizeField = 0x20;

size_t RecordHeader(const std::vector<uint8_t>& image) {
  return SectionHeaderOffset(image, kRecordSectionIndex);
}
size_t NamesHeader(const std::vector<uint8_t>& image) { return SectionHeaderOffset(image, 4); }

const ImageFault kImageFaults[] = {
    {"32-bit class", [](std::vector<uint8_t>& i) { i[4] = 1; }},
    {"big-endian", [](std::vector<uint8_t>& i) { i[5] = 2; }},
    {"bad magic", [](std::vector<uint8_t>& i) { i[1] = 'e'; }},
    {"section table past the end",
     [](std::vector<uint8_t>& i) { WriteLe64(i, kSectionTableOffsetField, i.size() - 64); }},
    {"section table offset overflows",
     [](std::vector<uint8_t>& i) { WriteLe64(i, kSectionTableOffsetField, ~0ull - 8); }},
    {"short section entries",
     [](std::vector<uint8_t>& i) { WriteLe16(i, kSectionEntrySizeField, 32); }},
    {"no sections", [](std::vector<uint8_t>& i) { WriteLe16(i, kSectionCountField, 0); }},
    {"too many sections",
     [](std::vector<uint8_t>& i) { WriteLe16(i, kSectionCountField, 0xFFFF); }},
    {"names index beyond the table",
     [](std::vector<uint8_t>& i) { WriteLe16(i, kSectionNamesIndexField, 5); }},
    {"names index escaped",
     [](std::vector<uint8_t>& i) { WriteLe16(i, kSectionNamesIndexField, 0xFFFF); }},
    {"record offset past the end",
     [](std::vector<uint8_t>& i) { WriteLe64(i, RecordHeader(i) + kOffsetField, i.size() + 1); }},
    {"record offset overflows",
     [](std::vector<uint8_t>& i) { WriteLe64(i, RecordHeader(i) + kOffsetField, ~0ull); }},
    {"record size overflows",
     [](std::vector<uint8_t>& i) { WriteLe64(i, RecordHeader(i) + kSizeField, ~0ull - 2); }},
    {"record size past the end",
     [](std::vector<uint8_t>& i) { WriteLe64(i, RecordHeader(i) + kSizeField, i.size()); }},
    {"record section without bytes",
     [](std::vector<uint8_t>& i) { WriteLe32(i, RecordHeader(i) + kTypeField, 8); }},
    {"record shorter than a node header",
     [](std::vector<uint8_t>& i) { WriteLe64(i, RecordHeader(i) + kSizeField, 5); }},
    {"name past the name table",
     [](std::vector<uint8_t>& i) { WriteLe32(i, RecordHeader(i) + kNameField, 0x7FFFFFFF); }},
    {"name table past the end",
     [](std::vector<uint8_t>& i) { WriteLe64(i, NamesHeader(i) + kOffsetField, i.size()); }},
    {"name table cut inside the name",
     [](std::vector<uint8_t>& i) { WriteLe64(i, NamesHeader(i) + kSizeField, 15); }},
};

TEST(RecordFile, HostileHeadersGiveNone) {
  TempFolder folder;
  const std::vector<uint8_t> good = MakeElfWithRecord(ProgramRecord());
  ASSERT_GT(GetFileVersionInfoSize(folder.WriteFile("good", good)), 0u);
  for (const ImageFault& fault : kImageFaults) {
    std::vector<uint8_t> image = good;
    fault.apply(image);
    SCOPED_TRACE(fault.what);
    ExpectNoRecord(folder.WriteFile("bad", image));
  }
}

TEST(RecordFile, RecordLengthOutsideItsSectionGivesNone) {
  TempFolder folder;
  for (uint16_t length : {0, 5, 0xFFFF}) {
    std::vector<uint8_t> record = ProgramRecord();
    WriteLe16(record, 0, length);
    ExpectNoRecord(folder.WriteFile("bad", MakeElfWithRecord(record)));
  }
}

// --- Looking values up ---

struct Query {
  const char* path;
  bool found;
  std::string text;  // for text values
  uint32_t length;
};

TEST(RecordQuery, FindsValuesIgnoringLetterCase) {
  const std::vector<uint8_t> block = ProgramRecord();
  const Query queries[] = {
      {"\\StringFileInfo\\040904E4\\FileVersion", true, "1.3.1.0", 7},
      {"\\StringFileInfo\\040904e4\\FileDescription", true, "Shapewright convertor", 21},
      {"\\StringFileInfo\\040904E4\\OriginalFileName", true, "Shapewright.exe", 15},
      {"\\STRINGFILEINFO\\040904E4\\companyname", true, "Ferrowind", 9},
      {"\\StringFileInfo\\040904E4\\LegalCopyright", true, "Copyright (C) 2026 Ferrowind", 28},
      {"StringFileInfo\\040904E4\\ProductName", true, "Shapewright", 11},
      {"\\StringFileInfo\\\\040904E4\\ProductVersion\\", true, "1.3.1.0", 7},
      {"\\StringFileInfo\\040904E4\\Comments", false, "", 0},
      {"\\StringFileInfo\\040904E4\\FileVersio", false, "", 0},
      {"\\StringFileInfo\\040904E4\\FileVersionX", false, "", 0},
      {"\\StringFileInfo\\040904B0\\FileVersion", false, "", 0},
      {"\\StringFileInfo\\FileVersion", false, "", 0},
      {"\\VarFileInfo\\FileVersion", false, "", 0},
      {"\\StringFileInfo\\040904E4\\FileVersion\\More", false, "", 0},
  };
  for (const Query& query : queries) {
    const uint8_t* value = nullptr;
    uint32_t length = 99;
    std::string text = "old";
    EXPECT_EQ(VerQueryValue(block, query.path, value, length, &text), query.found) << query.path;
    if (!query.found) continue;
    EXPECT_EQ(text, query.text) << query.path;
    EXPECT_EQ(length, query.length) << query.path;
  }
}

TEST(RecordQuery, BinaryValuesGiveTheirBytes) {
  const std::vector<uint8_t> block = ProgramRecord();
  const uint8_t* value = nullptr;
  uint32_t length = 0;
  ASSERT_TRUE(VerQueryValue(block, "\\", value, length));
  EXPECT_EQ(length, 52u);
  EXPECT_EQ(value, block.data() + 40);
  std::string text = "old";
  ASSERT_TRUE(VerQueryValue(block, "\\varfileinfo\\TRANSLATION", value, length, &text));
  EXPECT_EQ(text, "");
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(std::vector<uint8_t>(value, value + 4), (std::vector<uint8_t>{0x09, 0x04, 0xE4, 0x04}));
}

TEST(RecordQuery, TextValueStopsAtItsNode) {
  version_record::RecordSource source;
  source.string_tables = {{"t", {{"A", "abc"}, {"B", "de"}}}};
  std::vector<uint8_t> block = version_record::BuildVersionRecord(source);
  const uint8_t* value = nullptr;
  uint32_t length = 0;
  std::string text;
  ASSERT_TRUE(VerQueryValue(block, "\\StringFileInfo\\t\\A", value, length, &text));
  ASSERT_EQ(text, "abc");
  // A wValueLength beyond its node ends at the node; one short of the terminator cuts the text.
  const size_t a_node = value - block.data() - 12;
  WriteLe16(block, a_node + 2, 0xFFFF);
  ASSERT_TRUE(VerQueryValue(block, "\\StringFileInfo\\t\\A", value, length, &text));
  EXPECT_EQ(text, "abc");
  WriteLe16(block, a_node + 2, 2);
  ASSERT_TRUE(VerQueryValue(block, "\\StringFileInfo\\t\\A", value, length, &text));
  EXPECT_EQ(text, "ab");
  EXPECT_EQ(length, 2u);
}

TEST(RecordQuery, MalformedNodesAreNotFollowed) {
  const std::vector<uint8_t> good = ProgramRecord();
  const uint8_t* value = nullptr;
  uint32_t length = 0;
  // StringFileInfo is the root's first child, at 92.
  ASSERT_EQ(ReadLe16(good, 96), 1);
  for (uint16_t child_length : {0, 5, 0xFFFF}) {
    std::vector<uint8_t> block = good;
    WriteLe16(block, 92, child_length);
    EXPECT_FALSE(VerQueryValue(block, "\\StringFileInfo\\040904E4\\FileVersion", value, length))
        << child_length;
  }
  std::vector<uint8_t> unterminated = good;
  WriteLe16(unterminated, 92, 6 + 2 * 3);  // ends inside its key "Str"
  EXPECT_FALSE(VerQueryValue(unterminated, "\\StringFileInfo", value, length));
  std::vector<uint8_t> fixed_too_long = good;
  WriteLe16(fixed_too_long, 2, 0xFFF0);
  EXPECT_FALSE(VerQueryValue(fixed_too_long, "\\", value, length));
  EXPECT_FALSE(VerQueryValue({}, "\\", value, length));
}

// Whatever a record's bytes say, a value found lies inside the block.
void ExpectValuesInsideBlock(const std::vector<uint8_t>& block) {
  const char* paths[] = {
      "\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904E4\\FileVersion",
      "\\StringFileInfo\\040904E4\\SpecialBuild", "\\StringFileInfo\\040904E4\\ProductVersion"};
  for (const char* path : paths) {
    const uint8_t* value = nullptr;
    uint32_t length = 0;
    std::string text;
    if (!VerQueryValue(block, path, value, length, &text)) continue;
    const uint8_t* begin = block.data();
    ASSERT_GE(value, begin) << path;
    const size_t bytes = text.empty() ? length : 2 * size_t{length};  // text: characters
    ASSERT_LE(value + bytes, begin + block.size()) << path;
  }
}

TEST(RecordQuery, CorruptedAndTruncatedRecordsStayInsideTheBlock) {
  const std::vector<uint8_t> good = ProgramRecord();
  for (size_t offset = 0; offset < good.size(); ++offset) {
    for (uint8_t byte : {0x00, 0x01, 0x7F, 0xFF}) {
      std::vector<uint8_t> block = good;
      block[offset] = byte;
      ExpectValuesInsideBlock(block);
    }
  }
  for (size_t size = 0; size < good.size(); ++size) {
    std::vector<uint8_t> block(good.begin(), good.begin() + size);
    const uint8_t* value = nullptr;
    uint32_t length = 0;
    EXPECT_FALSE(VerQueryValue(block, "\\", value, length)) << size;  // the root outgrows the block
  }
}

// --- The user's default language ---

struct LocaleCase {
  std::optional<std::string> lc_all, lc_messages, lang;
  uint16_t language_id;
};

TEST(UserLanguage, MapsTheFirstSetLocaleVariable) {
  const LocaleCase cases[] = {
      {std::nullopt, std::nullopt, std::nullopt, 0x0409},
      {"en_US.UTF-8", std::nullopt, std::nullopt, 0x0409},
      {"en_GB.UTF-8", std::nullopt, std::nullopt, 0x0809},
      {"de_DE.UTF-8", std::nullopt, std::nullopt, 0x0407},
      {std::nullopt, std::nullopt, "de_CH.UTF-8", 0x0807},
      {"fr_FR", std::nullopt, std::nullopt, 0x040C},
      {"fr_CA.ISO-8859-1", std::nullopt, std::nullopt, 0x0C0C},
      {"de_AT@euro", std::nullopt, std::nullopt, 0x0C07},
      {"nn_NO.UTF-8", std::nullopt, std::nullopt, 0x0814},
      {"pt_BR.UTF-8", std::nullopt, std::nullopt, 0x0416},
      {"zh_CN.GB18030", std::nullopt, std::nullopt, 0x0804},
      {"de", std::nullopt, std::nullopt, 0x0407},           // language only
      {"fr_XX.UTF-8", std::nullopt, std::nullopt, 0x040C},  // unlisted country
      {"C", std::nullopt, std::nullopt, 0x0409},
      {"POSIX", "de_DE.UTF-8", std::nullopt, 0x0409},
      {"C.UTF-8", std::nullopt, std::nullopt, 0x0409},
      {"xx_YY.UTF-8", std::nullopt, std::nullopt, 0x0409},
      {"", "fr_FR.UTF-8", "de_DE.UTF-8", 0x040C},  // empty counts as unset
      {"", "", "en_AU.UTF-8", 0x0C09},
      {std::nullopt, "it_IT.UTF-8", "de_DE.UTF-8", 0x0410},
      {"sv_SE.UTF-8", "it_IT.UTF-8", "de_DE.UTF-8", 0x041D},
  };
  for (const LocaleCase& c : cases) {
    ScopedLocale locale(c.lc_all, c.lc_messages, c.lang);
    EXPECT_EQ(platform::GetUserDefaultLangID(), c.language_id)
        << c.lc_all.value_or("-") << " " << c.lc_messages.value_or("-") << " "
        << c.lang.value_or("-");
  }
}

TEST(UserLanguage, ScopedLocaleRestoresTheVariables) {
  ScopedLocale outer(std::nullopt, "it_IT.UTF-8", "de_DE.UTF-8");
  {
    ScopedLocale inner("fr_FR.UTF-8");
    EXPECT_EQ(platform::GetUserDefaultLangID(), 0x040C);
  }
  EXPECT_EQ(platform::GetUserDefaultLangID(), 0x0410);
}

}  // namespace
