// Reading binary blocks by the token table: literal blocks, and every kind of damage.
#include "binary_shape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shape_encoder.h"
#include "shape_text.h"

namespace {

using ffedit::ReadError;
using ffedit::ShapeTree;

// Reads blocks alone and writes them back as 8-bit text (the UTF-16 narrowed).
std::string BlocksToText(const std::vector<uint8_t>& blocks, ReadError& error) {
  ShapeTree tree;
  if (!ffedit::ReadShapeBlocks(blocks.data(), blocks.size(), tree, error))
    return "<" + error.what + ">";
  ffedit::TextBuffer wide;
  ffedit::WriteShapeBlocks(tree, wide);
  std::string text;
  for (char16_t unit : wide) text += static_cast<char>(unit);
  return text;
}

std::string BlocksToText(const std::vector<uint8_t>& blocks) {
  ReadError error;
  return BlocksToText(blocks, error);
}

std::vector<uint8_t> Encode(const std::string& text) {
  std::vector<uint8_t> blocks;
  std::string problem;
  EXPECT_TRUE(ffedit_test::EncodeShapeBlocks(text, blocks, problem)) << problem;
  return blocks;
}

ReadError ReadContentExpectingFailure(const std::vector<uint8_t>& content) {
  ShapeTree tree;
  ReadError error;
  EXPECT_FALSE(ffedit::ReadBinaryShape(content.data(), content.size(), 16, false, tree, error));
  return error;
}

void PutUint32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(ReadShapeBlocks, ReadsAShapeHeader) {
  const std::vector<uint8_t> bytes = {0x46, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(BlocksToText(bytes), "shape_header ( 00000000 00000000 )\r\n");
}

TEST(ReadShapeBlocks, ReadsAMatrixWithItsLabel) {
  const std::vector<uint8_t> bytes = {
      0x42, 0, 0,   0, 0x46, 0,    0,   0, 0,    1,    0, 0, 0,    0x41, 0, 0, 0, 0x39, 0, 0,
      0,    4, 'M', 0, 'A',  0,    'I', 0, 'N',  0,    0, 0, 0x80, 0x3f, 0, 0, 0, 0,    0, 0,
      0,    0, 0,   0, 0,    0,    0,   0, 0x80, 0x3f, 0, 0, 0,    0,    0, 0, 0, 0,    0, 0,
      0,    0, 0,   0, 0x80, 0x3f, 0,   0, 0,    0x3f, 0, 0, 0xa0, 0x3f, 0, 0, 0, 0xc0};
  EXPECT_EQ(BlocksToText(bytes),
            "matrices ( 1\r\n\tmatrix MAIN ( 1 0 0 0 1 0 0 0 1 0.5 1.25 -2 )\r\n)\r\n");
}

TEST(ReadShapeBlocks, ReadsAVertexWithItsUvs) {
  const std::vector<uint8_t> bytes = {
      0x30, 0,    0, 0, 0x26, 0,    0,    0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 7, 0, 0, 0, 0xff, 0xff,
      0xff, 0xff, 0, 0, 0,    0xff, 0x31, 0, 0, 0, 9, 0, 0, 0, 0, 1, 0, 0, 0, 5, 0, 0,    0};
  EXPECT_EQ(BlocksToText(bytes),
            "vertex ( 00000000 3 7 ffffffff ff000000\r\n\tvertex_uvs ( 1 5 )\r\n)\r\n");
}

TEST(ReadShapeBlocks, PutsValuesAfterAChildOnItsClosingLine) {
  EXPECT_EQ(BlocksToText(Encode("prim_state Rails ( 00000000 0 tex_idxs ( 1 3 ) 0 0 0 0 1 )")),
            "prim_state Rails ( 00000000 0\r\n\ttex_idxs ( 1 3 ) 0 0 0 0 1\r\n)\r\n");
  EXPECT_EQ(BlocksToText(Encode("vol_sphere ( vector ( -1.23867 3.5875 40 ) 42.452 )")),
            "vol_sphere (\r\n\tvector ( -1.23867 3.5875 40 ) 42.452\r\n)\r\n");
}

TEST(ReadShapeBlocks, LeavesOptionalTrailingValuesOut) {
  EXPECT_EQ(BlocksToText(Encode("texture ( 1 0 0 )")), "texture ( 1 0 0 )\r\n");
  EXPECT_EQ(BlocksToText(Encode("texture ( 1 0 0 ff000000 )")), "texture ( 1 0 0 ff000000 )\r\n");
  EXPECT_EQ(BlocksToText(Encode("shape_header ( 00000001 )")), "shape_header ( 00000001 )\r\n");
}

TEST(ReadShapeBlocks, SkipsAnOptionalChildThatIsNotThere) {
  const char* header =
      "sub_object_header ( 00000400 -1 -1 000001d2 000001c4 "
      "geometry_info ( 0 0 0 0 0 0 0 0 0 0 geometry_nodes ( 0 ) geometry_node_map ( 0 ) ) "
      "subobject_light_cfgs ( 1 0 ) 7 )";
  EXPECT_EQ(BlocksToText(Encode(header)),
            "sub_object_header ( 00000400 -1 -1 000001d2 000001c4\r\n"
            "\tgeometry_info ( 0 0 0 0 0 0 0 0 0 0\r\n\t\tgeometry_nodes ( 0 "
            ")\r\n\t\tgeometry_node_map ( 0 )\r\n\t)\r\n"
            "\tsubobject_light_cfgs ( 1 0 ) 7\r\n)\r\n");
}

// Each case: blocks encoded from text, one damage, and the error expected (token, offset, a
// part of the reason).
TEST(ReadShapeBlocks, RejectsDamagedBlocksNamingTokenAndOffset) {
  using Bytes = std::vector<uint8_t>;
  const struct {
    const char* text;
    void (*damage)(Bytes& bytes);
    const char* token;
    size_t offset;
    const char* what;
  } cases[] = {
      {"images ( 1 image ( a.ace ) )",  // one byte past the end of images
       [](Bytes& b) { PutUint32(b, 13 + 4, 14); }, "image", 17,
       "past the end of the enclosing block"},
      {"point ( 1 2 3 )",
       [](Bytes& b) {
         b.insert(b.end(), {0, 0});
         PutUint32(b, 4, 15);
       },
       "point", 21, "2 bytes left"},
      {"points ( 1 point ( 1 2 3 ) )", [](Bytes& b) { PutUint32(b, 13, 300); }, "token 300", 13,
       "unknown token id"},
      {"points ( 1 point ( 1 2 3 ) )", [](Bytes& b) { b[13] = 3; }, "vector", 13, "point expected"},
      {"point ( 1 2 3 )", [](Bytes& b) { b = {4, 0, 0, 0, 1, 0, 0, 0, 0}; }, "quat", 0, "unknown"},
      {"vertex_idxs ( 3 0 1 2 )", [](Bytes& b) { PutUint32(b, 9, 0x40000000); }, "vertex_idxs", 13,
       "count 1073741824"},
      {"point ( 1 2 3 )", [](Bytes& b) { b[2] = 4; }, "", 2, ""},       // another token table
      {"image ( a.ace )", [](Bytes& b) { b[9] = 6; }, "image", 9, ""},  // string length
      {"matrix M ( 1 0 0 0 1 0 0 0 1 0 0 0 )", [](Bytes& b) { b[8] = 200; }, "matrix", 8, ""},
  };
  for (const auto& c : cases) {
    Bytes bytes = Encode(c.text);
    c.damage(bytes);
    ReadError error;
    BlocksToText(bytes, error);
    if (*c.token != 0) {
      EXPECT_EQ(error.token, c.token) << c.text;
    }
    EXPECT_EQ(error.offset, c.offset) << c.text;
    EXPECT_NE(error.what.find(c.what), std::string::npos) << c.text << ": " << error.what;
  }
}

TEST(ReadBinaryShape, ChecksTheSubheader) {
  std::vector<uint8_t> content =
      ffedit_test::MakeContent(Encode(ffedit_test::ReadTestData("minimal.txt")));
  content[7] = 't';
  EXPECT_NE(ReadContentExpectingFailure(content).what.find("8-bit text"), std::string::npos);
  content[7] = 'x';
  EXPECT_EQ(ReadContentExpectingFailure(content).offset, 16u + 7u);
  content[0] = 'X';
  EXPECT_EQ(ReadContentExpectingFailure(content).token, "subheader");
}

TEST(ReadBinaryShape, WantsAShapeAtTheTopLevel) {
  std::vector<uint8_t> content = ffedit_test::MakeContent(Encode("point ( 1 2 3 )"));
  ReadError error = ReadContentExpectingFailure(content);
  EXPECT_EQ(error.token, "point");
  EXPECT_EQ(error.offset, 32u);
  EXPECT_EQ(ReadContentExpectingFailure(ffedit_test::MakeContent({})).token, "shape");
}

TEST(ReadBinaryShape, RejectsEveryTruncation) {
  std::vector<uint8_t> content =
      ffedit_test::MakeContent(Encode(ffedit_test::ReadTestData("full.txt")));
  ShapeTree tree;
  ReadError error;
  ASSERT_TRUE(ffedit::ReadBinaryShape(content.data(), content.size(), 16, false, tree, error))
      << error.what;
  // A cut right after the shape block leaves a whole shape without its max_data block.
  size_t shape_end = 16 + 8 + (content[20] | content[21] << 8 | content[22] << 16);
  for (size_t size = 0; size < content.size(); ++size) {
    // A copy of exactly the prefix, so that a read past it is caught by the sanitizers.
    std::vector<uint8_t> cut(content.begin(), content.begin() + static_cast<long>(size));
    error = ReadError{};
    if (size == shape_end) {
      EXPECT_TRUE(ffedit::ReadBinaryShape(cut.data(), cut.size(), 16, false, tree, error))
          << error.what;
      continue;
    }
    ASSERT_FALSE(ffedit::ReadBinaryShape(cut.data(), cut.size(), 16, false, tree, error)) << size;
    EXPECT_FALSE(error.token.empty()) << size;
    EXPECT_LE(error.offset, 16 + size) << size;
  }
}

}  // namespace
