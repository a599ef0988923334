// The line reader, the section seek and the field cutting.
#include <gtest/gtest.h>

#include "convert/shape_reader.h"

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

struct Reader {
  explicit Reader(std::string bytes) : data(std::move(bytes)) {
    OpenMemorySource(source, reinterpret_cast<const unsigned char*>(data.data()), data.size());
  }
  std::string Next(bool& end) {
    std::string line;
    ReadShapeLine(source, line, end);
    return line;
  }
  std::string data;
  ByteSource source;
};

CurrentLine LineOf(std::string text) {
  CurrentLine line;
  line.text = std::move(text);
  line.end = line.text.size();
  return line;
}

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
      EXPECT_EQ(reader.Next(end), text) << c.bytes;
      EXPECT_EQ(end, at_end) << c.bytes << " " << text;
    }
  }
}

TEST(SkipPast, CutsBehindTheMarkerAndTrims) {
  CurrentLine line = LineOf("point ( 1 2 3 )");
  EXPECT_TRUE(SkipPast(line, '('));
  EXPECT_EQ(LineView(line), "1 2 3 )");
  SkipPast(line, ' ');
  EXPECT_EQ(LineView(line), "2 3 )");
  CurrentLine single = LineOf("12");
  EXPECT_FALSE(SkipPast(single, ' '));
  EXPECT_EQ(LineView(single), "12");
}

TEST(NormaliseLine, TrimsAndLowersOnlyAsciiLetters) {
  CurrentLine line = LineOf(" \t Points ( \xC4X \r");
  NormaliseLine(line);
  EXPECT_EQ(LineView(line), "points ( \xC4x");
}

TEST(SeekSection, TestsTheCurrentLineRawAndReadLinesNormalised) {
  // "  Points ( 12" as the current line does not match; the same text read later does.
  std::string bytes;
  for (char c : std::string("  Points ( 12\r\n  Points ( 12\r\n"))
    bytes += Units({static_cast<unsigned char>(c)});
  Reader reader(bytes);
  CurrentLine line;
  ReadNextLine(reader.source, line);
  EXPECT_EQ(LineView(line), "  Points ( 12");
  EXPECT_TRUE(SeekSection(reader.source, line, "points"));
  EXPECT_EQ(LineView(line), "points ( 12");
  EXPECT_EQ(line.number, 2);
  EXPECT_EQ(ReadSectionCount(line), 12);
  EXPECT_EQ(LineView(line), " 12");
}

TEST(SeekSection, StopsAtTheEndOfTheText) {
  std::string bytes;
  for (char c : std::string("a\r\nb\r\nc")) bytes += Units({static_cast<unsigned char>(c)});
  Reader reader(bytes);
  CurrentLine line;
  EXPECT_FALSE(SeekSection(reader.source, line, "points"));
  EXPECT_TRUE(line.end_of_file);
}

TEST(SeekSection, MatchesTheLastLineEvenWithoutLineEnd) {
  std::string bytes;
  for (char c : std::string("x\r\nSub_Objects ( 2"))
    bytes += Units({static_cast<unsigned char>(c)});
  Reader reader(bytes);
  CurrentLine line;
  EXPECT_TRUE(SeekSection(reader.source, line, "sub_objects"));
  EXPECT_EQ(ReadSectionCount(line), 2);
}

TEST(ReadShapeLine, ReadsAcrossBufferRefillsOfAFile) {
  // Longer than the reader's buffer, with an odd split of units across refills.
  std::string text(70001, 'q');
  std::string bytes = std::string("\0\xff\xfe", 3);
  for (char c : text) bytes += Units({static_cast<unsigned char>(c)});
  bytes += Units({0x0D, 'z'});
  std::string path = testing::TempDir() + "reader_refill.bin";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  ByteSource source;
  ASSERT_TRUE(OpenFileSource(source, path));
  SkipBytes(source, 3);  // units at odd offsets: one of them straddles the buffer's end
  std::string line;
  bool end;
  ReadShapeLine(source, line, end);
  EXPECT_EQ(line, text);
  ReadShapeLine(source, line, end);
  EXPECT_EQ(line, "z");
  EXPECT_TRUE(end);
  CloseSource(source);
  std::remove(path.c_str());
}

}  // namespace
