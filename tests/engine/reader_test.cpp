// The line reader, the section seek and the field cutting.
#include <gtest/gtest.h>

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
  std::string bytes;
  for (char c : text) bytes += std::string{c, '\0'};
  return bytes;
}

struct Reader {
  explicit Reader(std::string bytes) : data(std::move(bytes)) {
    OpenMemorySource(source, reinterpret_cast<const unsigned char*>(data.data()), data.size());
  }
  std::string data;
  ByteSource source;
};

// Lines end at CR; LF is dropped; each unit keeps its low byte; an odd trailing byte is a unit;
// the last line without CR reports the end, and reading on gives empty lines at the end.
TEST(ReadShapeLine, SplitsAtCarriageReturnsKeepingTheLowByte) {
  const struct {
    std::string bytes;
    std::vector<std::pair<std::string, bool>> lines;  // each line and whether it ends the text
  } cases[] = {
      {Units({'a', 'b', 0x0D, 0x0A, 'c', 0x0D, 0x0A}),
       {{"ab", false}, {"c", false}, {"", true}, {"", true}}},
      {Units({'a', 0x0A, 'b', 0x0D}), {{"ab", false}}},
      {Units({0x0D, 0x0D}), {{"", false}, {"", false}}},
      {Units({'x', 'y'}), {{"xy", true}}},
      {Units({0x0141, 0x010D, 'b', 0x0D}), {{"A", false}, {"b", false}}},
      {Units({'a'}) + "b", {{"ab", true}}},
  };
  for (const auto& c : cases) {
    Reader reader(c.bytes);
    for (const auto& [text, at_end] : c.lines) {
      bool end = !at_end;
      std::string line;
      ReadShapeLine(reader.source, line, end);
      EXPECT_EQ(line, text) << c.bytes;
      EXPECT_EQ(end, at_end) << c.bytes << " " << text;
    }
  }
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
  // Longer than the reader's buffer, with units at odd offsets: one straddles the buffer's end.
  std::string text(70001, 'q');
  test::TempFolder folder;
  std::string path = folder.Write("refill.bin", std::string("\0\xff\xfe", 3) + Ascii(text + "\rz"));
  ByteSource source;
  std::string reason;
  ASSERT_TRUE(OpenFileSource(source, path, reason));
  SkipBytes(source, 3);
  std::string line;
  bool end;
  ReadShapeLine(source, line, end);
  EXPECT_EQ(line, text);
  ReadShapeLine(source, line, end);
  EXPECT_EQ(line, "z");
  EXPECT_TRUE(end);
  CloseSource(source);
}

}  // namespace
