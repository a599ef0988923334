// Reading shape files: the storage forms and the compressed stream that are refused (the round
// trips and the tool tests read the sound ones), binary blocks by the token table.
#include "binary_shape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shape_encoder.h"
#include "shape_text.h"
#include "shape_tokens.h"
#include "simis_file.h"

namespace {

using ffedit::ReadError;
using ffedit::ShapeTree;
using ffedit_test::Bytes;
using ffedit_test::EncodeShapeBlocks;

// Reads blocks alone and writes them back as 8-bit text (the UTF-16 narrowed), or the reason.
std::string BlocksToText(const Bytes& blocks, ReadError& error) {
  ShapeTree tree;
  if (!ffedit::ReadShapeBlocks(blocks.data(), blocks.size(), tree, error))
    return "<" + error.what + ">";
  ffedit::TextBuffer wide;
  ffedit::WriteShapeBlocks(tree, wide);
  return std::string(wide.begin(), wide.end());
}

std::string BlocksToText(const Bytes& blocks) {
  ReadError error;
  return BlocksToText(blocks, error);
}

ReadError ReadContentExpectingFailure(const Bytes& content) {
  ShapeTree tree;
  ReadError error;
  EXPECT_FALSE(ffedit::ReadBinaryShape(content.data(), content.size(), 16, false, tree, error));
  return error;
}

Bytes SampleBlocks() { return EncodeShapeBlocks(ffedit_test::ReadTestData("minimal.txt")); }

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

void PutUint32(Bytes& bytes, size_t at, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(ReadSimisFile, RejectsUnknownFormsAndFaultyStreamsNamingTheirPlace) {
  size_t size = ffedit_test::MakeContent(SampleBlocks()).size();
  Bytes damaged = ffedit_test::WrapCompressedShape(SampleBlocks());
  damaged[16] = 0x00;  // a zlib header that fails its check
  const struct {
    Bytes file;
    const char* token;  // null: any
    int64_t offset;     // -1: any
    const char* what;
  } cases[] = {
      {BytesOf("JINX0s1b______\r\nshape"), "file header", 0, "not a shape file"},
      {{}, "file header", 0, "not a shape file"},
      {BytesOf("SIMISA@@@@@@@@@"), "file header", 0, "not a shape file"},  // one '@' short
      {ffedit_test::WrapCompressedShape(SampleBlocks(), int64_t(size) - 1), "zlib stream", -1,
       "past the size stated"},
      {ffedit_test::WrapCompressedShape(SampleBlocks(), int64_t(size) + 1), "zlib stream", -1,
       "short of the size"},
      {ffedit_test::WrapCompressedShape(SampleBlocks(), 0xFFFFFFFFu), "SIMISA@F header", 8,
       "larger than the compressed data can hold"},
      {damaged, "zlib stream", -1, "damaged"},
      {BytesOf(std::string("SIMISA@F\x10\0\0\0@@@X", 16)), "SIMISA@F header", 12,
       "\"@@@@\" expected"},
      // zlib header 78 bb: FDICT set, followed by a dictionary id.
      {BytesOf(std::string("SIMISA@F\x10\0\0\0@@@@\x78\xbb\0\0\0\x01", 22)), "zlib stream", -1,
       "preset dictionary"},
  };
  for (const auto& c : cases) {
    ffedit::SimisContent content;
    ReadError error;
    EXPECT_FALSE(ffedit::ReadSimisFile(c.file.data(), c.file.size(), content, error)) << c.what;
    EXPECT_EQ(error.token, c.token) << c.what;
    if (c.offset >= 0) {
      EXPECT_EQ(error.offset, uint64_t(c.offset)) << c.what;
    }
    EXPECT_NE(error.what.find(c.what), std::string::npos) << error.what;
  }
}

TEST(ReadSimisFile, RejectsEveryTruncationOfTheCompressedForm) {
  Bytes file = ffedit_test::WrapCompressedShape(SampleBlocks());
  for (size_t size = 0; size < file.size(); ++size) {
    Bytes cut(file.begin(), file.begin() + static_cast<long>(size));
    ffedit::SimisContent content;
    ReadError error;
    EXPECT_FALSE(ffedit::ReadSimisFile(cut.data(), cut.size(), content, error)) << size;
    EXPECT_FALSE(error.what.empty()) << size;
  }
}

TEST(TokenTable, MapsIdsToNamesAndKnowsWhichLayoutsAreUnknown) {
  const ffedit::ShapeTokenTable& table = ffedit::GetShapeTokenTable();
  const std::pair<int, const char*> known[] = {
      {71, "shape"},      {70, "shape_header"},    {3, "vector"},      {65, "matrix"},
      {67, "hierarchy"},  {60, "indexed_trilist"}, {6, "normal_idxs"}, {64, "flags"},
      {19, "linear_key"}, {245, "max_data"},       {0, nullptr},       {250, nullptr},
      {300, nullptr},     {65535, nullptr},
  };
  for (auto [id, name] : known) {
    int index = ffedit::FindTokenById(table, static_cast<uint32_t>(id));
    EXPECT_EQ(index < 0 ? "" : table.tokens[static_cast<size_t>(index)].name, name ? name : "");
  }
  auto token = [&table](const char* name) {
    return table.tokens[static_cast<size_t>(ffedit::FindTokenByName(table, name))];
  };
  EXPECT_FALSE(token("quat").layout_known);
  EXPECT_FALSE(token("uv_op_diffusemap").layout_known);
  EXPECT_TRUE(token("comment").text_only);
  EXPECT_TRUE(token("tcb_key").layout_known);
}

TEST(ReadShapeBlocks, ReadsLiteralBlocks) {
  const struct {
    Bytes bytes;
    const char* text;
  } cases[] = {
      {{0x46, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       "shape_header ( 00000000 00000000 )\r\n"},
      {{0x42, 0, 0,   0, 0x46, 0,    0,   0, 0,    1,    0, 0, 0,    0x41, 0, 0, 0, 0x39, 0, 0,
        0,    4, 'M', 0, 'A',  0,    'I', 0, 'N',  0,    0, 0, 0x80, 0x3f, 0, 0, 0, 0,    0, 0,
        0,    0, 0,   0, 0,    0,    0,   0, 0x80, 0x3f, 0, 0, 0,    0,    0, 0, 0, 0,    0, 0,
        0,    0, 0,   0, 0x80, 0x3f, 0,   0, 0,    0x3f, 0, 0, 0xa0, 0x3f, 0, 0, 0, 0xc0},
       "matrices ( 1\r\n\tmatrix MAIN ( 1 0 0 0 1 0 0 0 1 0.5 1.25 -2 )\r\n)\r\n"},
      {{0x30, 0,    0, 0, 0x26, 0,    0,    0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 7, 0, 0, 0, 0xff, 0xff,
        0xff, 0xff, 0, 0, 0,    0xff, 0x31, 0, 0, 0, 9, 0, 0, 0, 0, 1, 0, 0, 0, 5, 0, 0,    0},
       "vertex ( 00000000 3 7 ffffffff ff000000\r\n\tvertex_uvs ( 1 5 )\r\n)\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(BlocksToText(c.bytes), c.text);
}

// Each case: blocks encoded from text, one damage, and the error expected (token, offset, a
// part of the reason).
TEST(ReadShapeBlocks, RejectsDamagedBlocksNamingTokenAndOffset) {
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
      {"point ( 1 2 3 )", [](Bytes& b) { b[2] = 4; }, "point", 2, "not the shape table 0"},
      {"image ( a.ace )", [](Bytes& b) { b[9] = 6; }, "image", 9, "runs past the end of the block"},
      {"matrix M ( 1 0 0 0 1 0 0 0 1 0 0 0 )", [](Bytes& b) { b[8] = 200; }, "matrix", 8,
       "label runs past"},
  };
  for (const auto& c : cases) {
    Bytes bytes = EncodeShapeBlocks(c.text);
    c.damage(bytes);
    ReadError error;
    BlocksToText(bytes, error);
    EXPECT_EQ(error.token, c.token) << c.text;
    EXPECT_EQ(error.offset, c.offset) << c.text;
    EXPECT_NE(error.what.find(c.what), std::string::npos) << c.text << ": " << error.what;
  }
}

TEST(ReadBinaryShape, ChecksTheSubheaderAndWantsAShapeAtTheTopLevel) {
  Bytes content =
      ffedit_test::MakeContent(EncodeShapeBlocks(ffedit_test::ReadTestData("minimal.txt")));
  content[7] = 't';
  EXPECT_NE(ReadContentExpectingFailure(content).what.find("8-bit text"), std::string::npos);
  content[7] = 'x';
  EXPECT_EQ(ReadContentExpectingFailure(content).offset, 16u + 7u);
  content[0] = 'X';
  EXPECT_EQ(ReadContentExpectingFailure(content).token, "subheader");
  ReadError error =
      ReadContentExpectingFailure(ffedit_test::MakeContent(EncodeShapeBlocks("point ( 1 2 3 )")));
  EXPECT_EQ(error.token, "point");
  EXPECT_EQ(error.offset, 32u);
  EXPECT_EQ(ReadContentExpectingFailure(ffedit_test::MakeContent({})).token, "shape");
}

TEST(ReadBinaryShape, RejectsEveryTruncation) {
  Bytes content =
      ffedit_test::MakeContent(EncodeShapeBlocks(ffedit_test::ReadTestData("full.txt")));
  ShapeTree tree;
  ReadError error;
  ASSERT_TRUE(ffedit::ReadBinaryShape(content.data(), content.size(), 16, false, tree, error))
      << error.what;
  // A cut right after the shape block leaves a whole shape without its max_data block.
  size_t shape_end = 16 + 8 + (content[20] | content[21] << 8 | content[22] << 16);
  for (size_t size = 0; size < content.size(); ++size) {
    // A copy of exactly the prefix, so that a read past it is caught by the sanitizers.
    Bytes cut(content.begin(), content.begin() + static_cast<long>(size));
    error = ReadError{};
    bool read = ffedit::ReadBinaryShape(cut.data(), cut.size(), 16, false, tree, error);
    EXPECT_EQ(read, size == shape_end) << size << ": " << error.what;
    if (!read) {
      EXPECT_FALSE(error.token.empty()) << size;
      EXPECT_LE(error.offset, 16 + size) << size;
    }
  }
}

}  // namespace
