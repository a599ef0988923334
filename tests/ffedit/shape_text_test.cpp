// Text -> binary -> reader and writer -> the same text, for hand-made shapes; the layout rules
// of long lists and of strings.
#include "shape_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "binary_shape.h"
#include "shape_encoder.h"
#include "simis_file.h"

namespace {

using ffedit::ReadError;
using ffedit::ShapeTree;

// Runs a whole file through what the tool does: unwrap, read, write.
std::string DecompressFile(const std::vector<uint8_t>& file, ReadError& error) {
  ffedit::SimisContent content;
  ShapeTree tree;
  if (!ffedit::ReadSimisFile(file.data(), file.size(), content, error)) return {};
  if (!ffedit::ReadBinaryShape(content.data.data(), content.data.size(), content.file_offset,
                               content.form == ffedit::StorageForm::kCompressed, tree, error)) {
    return {};
  }
  ffedit::TextBuffer text;
  ffedit::WriteShapeText(tree, text);
  return ffedit_test::Utf16Bytes({text.data(), text.size()});
}

void ExpectRoundTrip(const std::string& blocks_text) {
  std::vector<uint8_t> blocks;
  std::string problem;
  ASSERT_TRUE(ffedit_test::EncodeShapeBlocks(blocks_text, blocks, problem)) << problem;
  std::string expected = ffedit_test::MakeTextFile(blocks_text);
  ReadError error;
  EXPECT_EQ(DecompressFile(ffedit_test::WrapBinaryShape(blocks), error), expected) << error.what;
  EXPECT_EQ(DecompressFile(ffedit_test::WrapCompressedShape(blocks), error), expected)
      << error.what;
}

// Narrows the UTF-16 text and splits it at CR LF.
std::vector<std::string> SplitLines(const std::string& wide) {
  std::vector<std::string> lines(1);
  for (size_t i = 2; i + 1 < wide.size(); i += 2) {
    char c = wide[i];
    if (c == '\n') {
      lines.back().pop_back();  // the CR
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// A minimal shape whose one trilist holds vertex_count indexes and whose hierarchy holds
// matrix_count parents; the lists sit at the depths they have in every shape.
std::string MakeLongListShape(int vertex_count, int matrix_count) {
  std::string text = ffedit_test::ReadTestData("minimal.txt");
  std::string hierarchy = "hierarchy ( " + std::to_string(matrix_count);
  for (int i = 0; i < matrix_count; ++i) hierarchy.append(" ").append(std::to_string(i - 1));
  std::string indexes = "vertex_idxs ( " + std::to_string(vertex_count);
  for (int i = 0; i < vertex_count; ++i) indexes.append(" ").append(std::to_string(1000 + i));
  std::string lod =
      "lod_controls ( 1 lod_control ( distance_levels_header ( 0 ) distance_levels ( 1 "
      "distance_level ( distance_level_header ( dlevel_selection ( 100 ) " +
      hierarchy +
      " ) ) "
      "sub_objects ( 1 sub_object ( sub_object_header ( 00000400 -1 -1 000001d2 000001c4 "
      "geometry_info ( 0 0 0 0 0 0 0 0 0 0 geometry_nodes ( 0 ) geometry_node_map ( 0 ) ) ) "
      "vertices ( 0 ) vertex_sets ( 0 ) primitives ( 2 prim_state_idx ( 0 ) indexed_trilist ( " +
      indexes + " ) normal_idxs ( 0 ) flags ( 0 ) ) ) ) ) ) ) ) )";
  size_t at = text.find("lod_controls ( 0 )");
  return text.replace(at, 18, lod);
}

std::string DecompressEncoded(const std::string& blocks_text) {
  std::vector<uint8_t> blocks;
  std::string problem;
  EXPECT_TRUE(ffedit_test::EncodeShapeBlocks(blocks_text, blocks, problem)) << problem;
  ReadError error;
  std::string text = DecompressFile(ffedit_test::WrapBinaryShape(blocks), error);
  EXPECT_FALSE(text.empty()) << error.what;
  return text;
}

TEST(ShapeRoundTrip, GivesBackAShapeWithEveryTokenTheConverterReads) {
  ExpectRoundTrip(ffedit_test::ReadTestData("full.txt"));
}

TEST(ShapeRoundTrip, GivesBackAMinimalShape) {
  ExpectRoundTrip(ffedit_test::ReadTestData("minimal.txt"));
}

TEST(WriteShapeText, StartsWithTheMarkAndTheHeaderLines) {
  std::string text = DecompressEncoded(ffedit_test::ReadTestData("minimal.txt"));
  std::string start =
      "\xFF\xFE" + ffedit_test::WidenToUtf16("SIMISA@@@@@@@@@@JINX0s1t______\r\n\r\nshape (\r\n");
  EXPECT_EQ(text.substr(0, start.size()), start);
  EXPECT_EQ(text.substr(text.size() - 6), ffedit_test::WidenToUtf16(")\r\n"));
}

TEST(WriteShapeText, WrapsLongListsAtTheLineLimits) {
  std::vector<std::string> lines = SplitLines(DecompressEncoded(MakeLongListShape(600, 3)));
  size_t first = 0;
  while (first < lines.size() && lines[first].find("vertex_idxs (") == std::string::npos) ++first;
  ASSERT_LT(first, lines.size());
  const std::string indent(9, '\t');
  EXPECT_EQ(lines[first].substr(0, 26), indent + "vertex_idxs ( 600");
  // Each line holds as many 4-digit values as fit: the next one would pass the limit.
  size_t limit = ffedit::kFirstLineLimit;
  size_t values = 0;
  size_t line = first;
  for (; lines[line].back() != ')'; ++line) {
    ASSERT_EQ(lines[line].back(), ' ') << line;
    EXPECT_LE(lines[line].size() - 1, limit) << line;
    EXPECT_GT(lines[line].size() - 1 + 5, limit) << line;
    if (line > first) {
      EXPECT_EQ(lines[line].substr(0, 10), indent + "1") << line;
    }
    values += (lines[line].size() - (line == first ? 26 : 9)) / 5;
    limit = ffedit::kContinuationLineLimit;
  }
  values += (lines[line].size() - 9 - 2 + 1) / 5;
  EXPECT_EQ(values, 600u);
  EXPECT_EQ(lines[line].substr(lines[line].size() - 6), "1599 )");
  EXPECT_EQ(lines[line + 1], indent + "normal_idxs ( 0 )");
}

TEST(WriteShapeText, KeepsTheHierarchyOnOneLine) {
  std::vector<std::string> lines = SplitLines(DecompressEncoded(MakeLongListShape(3, 400)));
  size_t at = 0;
  while (at < lines.size() && lines[at].find("hierarchy (") == std::string::npos) ++at;
  ASSERT_LT(at, lines.size());
  EXPECT_GT(lines[at].size(), 1500u);
  EXPECT_EQ(lines[at].substr(lines[at].size() - 6), " 398 )");
  EXPECT_EQ(lines[at + 1], std::string(5, '\t') + ")");
}

TEST(WriteShapeText, QuotesOnlyStringsThatNeedIt) {
  std::string text = DecompressEncoded(MakeLongListShape(3, 1));
  EXPECT_NE(text.find(ffedit_test::WidenToUtf16("image ( a.ace )")), std::string::npos);
  const std::pair<const char*, const char*> names[] = {
      {"\"my tex.ace\"", "image ( \"my tex.ace\" )"},
      {"\"\"", "image ( \"\" )"},
      {"\"a(b).ace\"", "image ( \"a(b).ace\" )"},
      {"\"say \\\"hi\\\" \\\\ there\"", "image ( \"say \\\"hi\\\" \\\\ there\" )"},
  };
  for (auto [source, written] : names) {
    std::string shape = ffedit_test::ReadTestData("minimal.txt");
    shape.replace(shape.find("a.ace"), 5, source);
    EXPECT_NE(DecompressEncoded(shape).find(ffedit_test::WidenToUtf16(written)), std::string::npos)
        << source;
  }
}

TEST(WriteShapeText, WritesLabelsAndStringsAsUtf16Units) {
  // A matrix named with one non-ASCII unit (U+00E9) in label and image name.
  const std::vector<uint8_t> bytes = {0x0d, 0, 0, 0, 0x07, 0, 0, 0, 0, 2, 0, 'a', 0, 0xe9, 0x00};
  ShapeTree tree;
  ReadError error;
  ASSERT_TRUE(ffedit::ReadShapeBlocks(bytes.data(), bytes.size(), tree, error)) << error.what;
  ffedit::TextBuffer text;
  ffedit::WriteShapeBlocks(tree, text);
  EXPECT_EQ(ffedit_test::Utf16Bytes({text.data(), text.size()}),
            ffedit_test::WidenToUtf16("image ( a") + std::string("\xe9\x00", 2) +
                ffedit_test::WidenToUtf16(" )\r\n"));
}

}  // namespace
