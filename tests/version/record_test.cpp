// The record's layout, reading it from an ELF file, looking values up in it, and the user's
// default language.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/files.h"
#include "platform/version_record.h"
#include "tests/common/common.h"
#include "tests/version/support.h"

namespace {

using platform::GetFileVersionInfo;
using platform::GetFileVersionInfoSize;
using platform::VerQueryValue;
using version_record::BuildVersionRecord;
using version_record::RecordSource;
using namespace version_test;

Bytes Concat(const std::vector<Bytes>& pieces) {
  Bytes bytes;
  for (const Bytes& piece : pieces) bytes.insert(bytes.end(), piece.begin(), piece.end());
  return bytes;
}

// --- The source and the layout ---

// Every node: wLength, wValueLength, wType, the UTF-16 key, padding to 32 bits, the value; the
// next sibling starts on a 32-bit boundary.
TEST(RecordLayout, LaysOutNodesWithTheirLengthsAndPadding) {
  RecordSource source;
  source.fixed_length = 0;
  source.string_tables = {{"t", {{"A", "xy"}, {"B", "z"}}}};
  source.translations = {0x04E40409};
  // One row a node; the comments say where the next one starts.
  const Bytes expected = Concat({
      Concat({{192, 0, 0, 0, 0, 0}, Wide("VS_VERSION_INFO"), {0, 0}}),       // 40: no fixed block
      Concat({{84, 0, 0, 0, 1, 0}, Wide("StringFileInfo")}),                 // 76
      Concat({{48, 0, 0, 0, 1, 0}, Wide("t"), {0, 0}}),                      // 88
      Concat({{18, 0, 3, 0, 1, 0}, Wide("A"), {0, 0}, Wide("xy"), {0, 0}}),  // 108, padded
      Concat({{16, 0, 2, 0, 1, 0}, Wide("B"), {0, 0}, Wide("z")}),           // 124
      Concat({{68, 0, 0, 0, 1, 0}, Wide("VarFileInfo"), {0, 0}}),            // 156
      Concat({{36, 0, 4, 0, 0, 0}, Wide("Translation"), {0, 0}, {0x09, 0x04, 0xE4, 0x04}}),
  });
  EXPECT_EQ(BuildVersionRecord(source), expected);
}

// --- The record in an ELF file ---

void ExpectNoRecord(const std::string& path) {
  EXPECT_EQ(GetFileVersionInfoSize(path), 0u) << path;
  Bytes block;
  EXPECT_FALSE(GetFileVersionInfo(path, block)) << path;
}

TEST(RecordFile, FilesWithoutARecordGiveNone) {
  test::TempFolder folder;
  ExpectNoRecord(folder.File("missing"));
  ExpectNoRecord(folder.path());
  ExpectNoRecord(folder.Write("empty", ""));
  ExpectNoRecord(folder.Write("text", "hello\n"));
  ExpectNoRecord(folder.Write("other.so", ElfImage({{".text", {0xC3}}, {".data", {1, 2, 3}}})));
  ExpectNoRecord(folder.Write(
      "similar", ElfImage({{".sw_versions", ProgramRecord()}, {".sw_versio", ProgramRecord()}})));
  ASSERT_EQ(mkfifo(folder.File("fifo").c_str(), 0600), 0);
  ExpectNoRecord(folder.File("fifo"));  // must not wait for a writer
  const Bytes image = ElfWithRecord(ProgramRecord());
  for (size_t size = 0; size < image.size(); ++size)
    ExpectNoRecord(folder.Write("cut", Bytes(image.begin(), image.begin() + long(size))));
}

TEST(RecordFile, HostileHeadersGiveNone) {
  const Bytes good = ElfWithRecord(ProgramRecord());
  const size_t record = SectionHeader(good, 2), names = SectionHeader(good, 4);
  const size_t name = 0x00, type = 0x04, offset = 0x18, size = 0x20;
  const struct {
    const char* what;
    size_t at;
    uint64_t value;
    size_t bytes;
  } faults[] = {
      {"32-bit class", 4, 1, 1},
      {"big-endian", 5, 2, 1},
      {"bad magic", 1, 'e', 1},
      {"section table past the end", kTableOffsetField, good.size() - 64, 8},
      {"section table offset overflows", kTableOffsetField, ~0ull - 8, 8},
      {"short section entries", kEntrySizeField, 32, 2},
      {"no sections", kCountField, 0, 2},
      {"too many sections", kCountField, 0xFFFF, 2},
      {"names index beyond the table", kNamesIndexField, 5, 2},
      {"record offset past the end", record + offset, good.size() + 1, 8},
      {"record size overflows", record + size, ~0ull - 2, 8},
      {"record section without bytes", record + type, 8, 4},
      {"record shorter than a node header", record + size, 5, 8},
      {"name past the name table", record + name, 0x7FFFFFFF, 4},
      {"name table past the end", names + offset, good.size(), 8},
      {"name table cut inside the name", names + size, 15, 8},
  };
  test::TempFolder folder;
  for (const auto& fault : faults) {
    Bytes image = good;
    WriteLe(image, fault.at, fault.value, fault.bytes);
    SCOPED_TRACE(fault.what);
    ExpectNoRecord(folder.Write("bad", image));
  }
  for (uint16_t length : {0, 5, 0xFFFF}) {  // the record's own length outside its section
    Bytes bad = ProgramRecord();
    WriteLe(bad, 0, length, 2);
    ExpectNoRecord(folder.Write("bad", ElfWithRecord(bad)));
  }
}

// --- Looking values up ---

// The value at path as text (a binary value gives "") and its length; "-" when not found.
std::string QueryValue(const Bytes& block, const std::string& path, uint32_t* length = nullptr) {
  const uint8_t* value = nullptr;
  uint32_t found_length = 0;
  std::string text = "old";
  if (!VerQueryValue(block, path, value, found_length, &text)) return "-";
  if (length != nullptr) *length = found_length;
  return text;
}

// Text values give their characters, binary values their bytes and no text.
TEST(RecordQuery, FindsValuesIgnoringLetterCase) {
  const Bytes block = ProgramRecord();
  const struct {
    const char* path;
    const char* text;
    uint32_t length;
  } queries[] = {
      {"\\StringFileInfo\\040904e4\\FileDescription", "Shapewright convertor", 21},
      {"\\STRINGFILEINFO\\040904E4\\companyname", "Ferrowind", 9},
      {"\\StringFileInfo\\\\040904E4\\ProductVersion\\", "1.3.1.0", 7},
      {"\\", "", 52},
      {"\\varfileinfo\\TRANSLATION", "", 4},
      {"\\StringFileInfo\\040904E4\\Comments", "-", 0},
      {"\\StringFileInfo\\040904E4\\FileVersio", "-", 0},
      {"\\StringFileInfo\\040904B0\\FileVersion", "-", 0},
      {"\\StringFileInfo\\FileVersion", "-", 0},
      {"\\StringFileInfo\\040904E4\\FileVersion\\More", "-", 0},
  };
  for (const auto& query : queries) {
    uint32_t length = 0;
    EXPECT_EQ(QueryValue(block, query.path, &length), query.text) << query.path;
    EXPECT_EQ(length, query.length) << query.path;
  }
}

TEST(RecordQuery, CorruptedAndTruncatedRecordsStayInsideTheBlock) {
  const Bytes good = ProgramRecord();
  const char* paths[] = {"\\", "\\VarFileInfo\\Translation",
                         "\\StringFileInfo\\040904E4\\FileVersion",
                         "\\StringFileInfo\\040904E4\\ProductVersion"};
  for (size_t offset = 0; offset < good.size(); ++offset) {
    for (uint8_t byte : {0x00, 0x01, 0x7F, 0xFF}) {
      Bytes block = good;
      block[offset] = byte;
      for (const char* path : paths) {
        const uint8_t* value = nullptr;
        uint32_t length = 0;
        std::string text;
        if (!VerQueryValue(block, path, value, length, &text)) continue;
        const size_t bytes = text.empty() ? length : 2 * size_t{length};  // text: characters
        ASSERT_GE(value, block.data()) << path;
        ASSERT_LE(value + bytes, block.data() + block.size()) << path;
      }
    }
  }
  for (size_t size = 0; size < good.size(); ++size) {  // the root outgrows the block
    EXPECT_EQ(QueryValue(Bytes(good.begin(), good.begin() + long(size)), "\\"), "-") << size;
  }
}

// --- The user's default language ---

TEST(UserLanguage, MapsTheFirstSetLocaleVariable) {
  const struct {
    const char *lc_all, *lc_messages, *lang;  // nullptr: unset
    uint16_t language_id;
  } cases[] = {
      {nullptr, nullptr, nullptr, 0x0409},
      {nullptr, nullptr, "de_CH.UTF-8", 0x0807},
      {"de_AT@euro", nullptr, nullptr, 0x0C07},
      {"de", nullptr, nullptr, 0x0407},           // language only
      {"fr_XX.UTF-8", nullptr, nullptr, 0x040C},  // unlisted country
      {"POSIX", "de_DE.UTF-8", nullptr, 0x0409},
      {"C.UTF-8", nullptr, nullptr, 0x0409},       // no such language
      {"", "fr_FR.UTF-8", "de_DE.UTF-8", 0x040C},  // empty counts as unset
      {"sv_SE.UTF-8", "it_IT.UTF-8", "de_DE.UTF-8", 0x041D},
  };
  for (const auto& c : cases) {
    ScopedLocale locale(c.lc_all, c.lc_messages, c.lang);
    EXPECT_EQ(platform::GetUserDefaultLangID(), c.language_id)
        << (c.lc_all ? c.lc_all : "-") << " " << (c.lc_messages ? c.lc_messages : "-") << " "
        << (c.lang ? c.lang : "-");
  }
}

}  // namespace
