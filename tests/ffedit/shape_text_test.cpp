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
using ffedit_test::Bytes;
using ffedit_test::ReadTestData;

// Runs a whole file through what the tool does: unwrap, read, write.
std::string DecompressFile(const Bytes& file) {
  ffedit::SimisContent content;
  ffedit::ShapeTree tree;
  ReadError error;
  bool read =
      ffedit::ReadSimisFile(file.data(), file.size(), content, error) &&
      ffedit::ReadBinaryShape(content.data.data(), content.data.size(), content.file_offset,
                              content.form == ffedit::StorageForm::kCompressed, tree, error);
  EXPECT_TRUE(read) << error.what;
  ffedit::TextBuffer text;
  if (read) ffedit::WriteShapeText(tree, text);
  return ffedit_test::Utf16Bytes({text.data(), text.size()});
}

std::string DecompressEncoded(const std::string& blocks_text) {
  return DecompressFile(ffedit_test::WrapBinaryShape(ffedit_test::EncodeShapeBlocks(blocks_text)));
}

// The narrowed lines of the tool's text, without their CR LF.
std::vector<std::string> SplitLines(const std::string& wide) {
  std::vector<std::string> lines(1);
  for (size_t i = 2; i + 1 < wide.size(); i += 2) {
    if (wide[i] == '\n') {
      lines.back().pop_back();  // the CR
      lines.emplace_back();
    } else {
      lines.back() += wide[i];
    }
  }
  return lines;
}

// The index of the first line holding text.
size_t FindLine(const std::vector<std::string>& lines, const std::string& text) {
  size_t at = 0;
  while (at < lines.size() && lines[at].find(text) == std::string::npos) ++at;
  EXPECT_LT(at, lines.size()) << text;
  return at;
}

// A minimal shape whose one trilist holds vertex_count indexes and whose hierarchy holds
// matrix_count parents; the lists sit at the depths they have in every shape.
std::string MakeLongListShape(int vertex_count, int matrix_count) {
  std::string hierarchy = "hierarchy ( " + std::to_string(matrix_count);
  for (int i = 0; i < matrix_count; ++i) hierarchy += " " + std::to_string(i - 1);
  std::string indexes = "vertex_idxs ( " + std::to_string(vertex_count);
  for (int i = 0; i < vertex_count; ++i) indexes += " " + std::to_string(1000 + i);
  std::string lod =
      "lod_controls ( 1 lod_control ( distance_levels_header ( 0 ) distance_levels ( 1 "
      "distance_level ( distance_level_header ( dlevel_selection ( 100 ) " +
      hierarchy +
      " ) ) sub_objects ( 1 sub_object ( sub_object_header ( 00000400 -1 -1 000001d2 000001c4 "
      "geometry_info ( 0 0 0 0 0 0 0 0 0 0 geometry_nodes ( 0 ) geometry_node_map ( 0 ) ) ) "
      "vertices ( 0 ) vertex_sets ( 0 ) primitives ( 2 prim_state_idx ( 0 ) indexed_trilist ( " +
      indexes + " ) normal_idxs ( 0 ) flags ( 0 ) ) ) ) ) ) ) ) )";
  std::string text = ReadTestData("minimal.txt");
  return text.replace(text.find("lod_controls ( 0 )"), 18, lod);
}

TEST(ShapeRoundTrip, GivesBackMinimalAndFullShapesFromBothBinaryForms) {
  // full.txt holds every token the converter reads.
  for (const char* name : {"minimal.txt", "full.txt"}) {
    std::string text = ReadTestData(name);
    Bytes blocks = ffedit_test::EncodeShapeBlocks(text);
    Bytes line_break_first = ffedit_test::WrapCompressedShape(blocks);
    line_break_first.insert(line_break_first.begin(), {'\r', '\n'});  // as a few files have it
    for (const Bytes& file : {ffedit_test::WrapBinaryShape(blocks),
                              ffedit_test::WrapCompressedShape(blocks), line_break_first})
      EXPECT_EQ(DecompressFile(file), ffedit_test::MakeTextFile(text))
          << name << " " << file.size();
  }
}

// The hierarchy alone stays on one line: the converter reads it as one.
TEST(WriteShapeText, WrapsLongListsAtTheLineLimitsButNotTheHierarchy) {
  std::vector<std::string> lines = SplitLines(DecompressEncoded(MakeLongListShape(600, 400)));
  size_t hierarchy = FindLine(lines, "hierarchy (");
  EXPECT_EQ(lines[hierarchy].substr(lines[hierarchy].size() - 6), " 398 )");
  EXPECT_EQ(lines[hierarchy + 1], std::string(5, '\t') + ")");
  size_t first = FindLine(lines, "vertex_idxs (");
  const std::string indent(9, '\t');
  ASSERT_EQ(lines[first].substr(0, 26), indent + "vertex_idxs ( 600");
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

TEST(WriteShapeText, QuotesOnlyStringsThatNeedIt) {
  const std::pair<const char*, const char*> names[] = {
      {"\"my tex.ace\"", "image ( \"my tex.ace\" )"},
      {"\"\"", "image ( \"\" )"},
      {"\"a(b).ace\"", "image ( \"a(b).ace\" )"},
      {"\"say \\\"hi\\\" \\\\ there\"", "image ( \"say \\\"hi\\\" \\\\ there\" )"},
  };
  for (auto [source, written] : names) {
    std::string shape = ReadTestData("minimal.txt");
    shape.replace(shape.find("a.ace"), 5, source);
    std::vector<std::string> lines = SplitLines(DecompressEncoded(shape));
    EXPECT_EQ(lines[FindLine(lines, "image (")], std::string(2, '\t') + written) << source;
  }
}

TEST(WriteShapeText, WritesLabelsAndStringsAsUtf16Units) {
  // An image named with one non-ASCII unit (U+00E9).
  const Bytes bytes = {0x0d, 0, 0, 0, 0x07, 0, 0, 0, 0, 2, 0, 'a', 0, 0xe9, 0x00};
  ffedit::ShapeTree tree;
  ReadError error;
  ASSERT_TRUE(ffedit::ReadShapeBlocks(bytes.data(), bytes.size(), tree, error)) << error.what;
  ffedit::TextBuffer text;
  ffedit::WriteShapeBlocks(tree, text);
  EXPECT_EQ(std::u16string(text.begin(), text.end()), u"image ( a\u00e9 )\r\n");
}

}  // namespace
