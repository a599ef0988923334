// The line reader, the section seek and the field cutting.
#include <gtest/gtest.h>

#include "base/text.h"
#include "convert/shape_reader.h"
#include "tests/common/common.h"

namespace {

// UTF-16LE units from 16-bit values.
std::string Units(std::initializer_list<unsigned> units) {
  std::string bytes;
  for (unsigned u : units) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

std::string Ascii(std::string_view text) {
  return test::EncodedText(text, test::TextForm::kUtf16Le, "\n").substr(2);
}

struct Reader {
  explicit Reader(std::string bytes) : data(std::move(bytes)) {
    OpenMemorySource(source, reinterpret_cast<const unsigned char*>(data.data()), data.size());
  }
  std::string data;
  ByteSource source;
};

// Every line, "|" after each and "$" after the one during which the text ended (reading on
// gives empty lines), then what TextTrouble finds; the encoding is told from the bytes first.
std::string DecodedLines(const std::string& bytes) {
  Reader reader(bytes);
  DetectTextEncoding(reader.source);
  std::string lines, line;
  bool end = false;
  while (!end) {
    ReadShapeLine(reader.source, line, end);
    lines += line + (end ? "$" : "|");
  }
  ReadShapeLine(reader.source, line, end);
  return lines + line + TextTrouble(reader.source);
}

// Lines end at CR and LF is dropped, unless the first line end is a bare LF. Each UTF-16 unit
// (UTF-8 decoded to units) keeps its low byte; a byte-order mark is a character, as MSTS reads
// it; an odd trailing byte is a unit; the last line without a line end reports the end.
TEST(ReadShapeLine, DecodesEachEncodingAndLineEndToTheSameLowBytes) {
  const std::string m = "\xFF", no_ends = "it has no line ends (CR LF or LF)";
  const std::pair<std::string, std::string> cases[] = {
      {Units({'a', 'b', 0x0D, 0x0A, 'c', 0x0D, 0x0A}), "ab|c|$"},
      {Units({'a', 0x0A, 'b', 0x0D}), "a|b$"},
      {Units({'a', 0x0D, 'b', 0x0A, 'c', 0x0D}), "a|bc|$"},
      {Units({0x0D, 0x0D}), "||$"},
      {Units({'x', 'y'}), "xy$" + no_ends},
      {Units({'b', 0x0141, 0x010D, 'b', 0x0D}), "bA|b|$"},
      {Units({'a'}) + "b", "ab$" + no_ends},
      {"\xFF\xFE" + Ascii("a\r\nb"), m + "a|b$"},
      {std::string("\xFE\xFF\0a\0\n\0b\0\n\x01\x41", 12), m + "a|b|A$"},
      {std::string("\xEF\xBB\xBF") + "a\r\nb", m + "a|b$"},
      {Ascii("a\n"), "a|$"},                   // UTF-16LE without its mark
      {std::string("\0a\0\r\0\n", 6), "a|$"},  // UTF-16BE without its mark
      {"caf\xC3\xA9\xC4\x8Dx", "caf\xE9|x$"},  // U+010D ends a line like CR
      {"caf\xE9 \xC3(\r", "caf\xE9 \xC3(|$"},  // bytes of no sequence: Latin-1
      {"\xE0\x80\x8D\xF0\x9F\x98\x81\xF8\n", "\xE0\x80\x8D=\x01\xF8|$"},  // overlong; pair
      {"\xE2\x82", "\xE2\x82$" + no_ends},                                // cut short
      {"\xFF\xFE" + Ascii("a") + std::string("\0\0\r\0", 4),
       m + "a" + '\0' + "|$it holds NUL characters: it is not UTF-16LE text"},
  };
  for (const auto& [bytes, lines] : cases) EXPECT_EQ(DecodedLines(bytes), lines) << bytes;
}

TEST(SeekSection, TestsTheCurrentLineRawAndReadLinesNormalised) {
  // "  Points ( 12" as the current line does not match; the same text read later does.
  Reader reader(Ascii("  Points ( 12\r\n  Points ( 12\r\n"));
  CurrentLine line;
  ReadNextLine(reader.source, line);
  EXPECT_EQ(LineView(line), "  Points ( 12");
  EXPECT_TRUE(SeekSection(reader.source, line, "points"));
  EXPECT_EQ(LineView(line), "points ( 12");
  EXPECT_EQ(line.number, 2);
  EXPECT_EQ(ReadSectionCount(line), 12);
  EXPECT_EQ(LineView(line), " 12");
}

TEST(SeekSection, StopsAtTheEndOfTheTextAfterTestingTheLastLine) {
  const std::pair<const char*, bool> cases[] = {{"a\r\nb\r\nc", false}, {"x\r\nPoints ( 2", true}};
  for (const auto& [text, found] : cases) {
    Reader reader(Ascii(text));
    CurrentLine line;
    EXPECT_EQ(SeekSection(reader.source, line, "points"), found) << text;
    EXPECT_TRUE(line.end_of_file) << text;
    if (found) {
      EXPECT_EQ(ReadSectionCount(line), 2);
    }
  }
}

TEST(ReadShapeLine, ReadsAcrossBufferRefillsOfAFile) {
  // Longer than the buffer: a UTF-16 unit (3 bytes skipped) or UTF-8 sequence straddles its end.
  std::string text(70001, 'q'), q = text.substr(0, 65535);
  for (const auto& [skip, bytes, first] :
       {std::tuple{3, std::string("\0\xff\xfe", 3) + Ascii(text + "\rz"), text},
        std::tuple{0, q + "\xC3\xA9\rz", q + "\xE9"}}) {
    test::TempFolder folder;
    ByteSource source;
    std::string reason;
    ASSERT_TRUE(OpenFileSource(source, folder.Write("refill.bin", bytes), reason));
    SkipBytes(source, skip);
    DetectTextEncoding(source);
    std::string line;
    bool end;
    ReadShapeLine(source, line, end);
    EXPECT_EQ(line, first);
    ReadShapeLine(source, line, end);
    EXPECT_EQ(line, "z");
    EXPECT_TRUE(end);
    CloseSource(source);
  }
}

// What the wide system calls take: UTF-16, with pairs beyond the first plane; a byte that is not
// UTF-8 is its Latin-1 letter, and a surrogate without its partner U+FFFD.
TEST(Utf16, ConvertsBothWaysAndReplacesWhatIsNotText) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"Z\xC3\xBCrich/Lok_\xC3\x9C.eng", u"Z\u00FCrich/Lok_\u00DC.eng"},
      {"\xF0\x9F\x9A\x82", u"\U0001F682"},
      {"", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf16FromUtf8(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(Utf8FromUtf16(c.utf16), c.utf8) << c.utf8;
  }
  EXPECT_EQ(Utf16FromUtf8("caf\xE9"), u"caf\u00E9");
  EXPECT_EQ(Utf8FromUtf16(std::u16string{u'a', 0xD83D, u'b'}),
            "a\xEF\xBF\xBD"
            "b");
}

}  // namespace
