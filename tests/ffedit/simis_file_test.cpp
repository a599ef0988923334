// Storage form detection and the unwrapping of compressed shapes.
#include "simis_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "shape_encoder.h"

namespace {

using ffedit::ReadError;
using ffedit::ReadSimisFile;
using ffedit::SimisContent;
using ffedit::StorageForm;

std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> SampleBlocks() {
  std::vector<uint8_t> blocks;
  std::string problem;
  EXPECT_TRUE(
      ffedit_test::EncodeShapeBlocks(ffedit_test::ReadTestData("minimal.txt"), blocks, problem))
      << problem;
  return blocks;
}

// A compressed file whose header states size, around the zlib stream of content.
std::vector<uint8_t> Compress(const std::vector<uint8_t>& content, uint32_t size) {
  uLongf packed_size = compressBound(static_cast<uLong>(content.size()));
  std::vector<uint8_t> file = Bytes("SIMISA@F");
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(size >> (8 * i)));
  file.insert(file.end(), {'@', '@', '@', '@'});
  std::vector<uint8_t> packed(packed_size);
  compress(packed.data(), &packed_size, content.data(), static_cast<uLong>(content.size()));
  file.insert(file.end(), packed.begin(), packed.begin() + static_cast<long>(packed_size));
  return file;
}

ReadError ExpectFailure(const std::vector<uint8_t>& file) {
  SimisContent content;
  ReadError error;
  EXPECT_FALSE(ReadSimisFile(file.data(), file.size(), content, error));
  return error;
}

TEST(ReadSimisFile, TellsTheTextFormsApart) {
  SimisContent content;
  ReadError error;
  std::vector<uint8_t> text = Bytes(ffedit_test::MakeTextFile("shape ( )\r\n"));
  ASSERT_TRUE(ReadSimisFile(text.data(), text.size(), content, error));
  EXPECT_EQ(content.form, StorageForm::kText);
  EXPECT_TRUE(content.data.empty());
  std::vector<uint8_t> unmarked(text.begin() + 2, text.end());
  ASSERT_TRUE(ReadSimisFile(unmarked.data(), unmarked.size(), content, error));
  EXPECT_EQ(content.form, StorageForm::kTextWithoutMark);
}

TEST(ReadSimisFile, UnwrapsThePlainBinaryForm) {
  std::vector<uint8_t> blocks = SampleBlocks();
  std::vector<uint8_t> file = ffedit_test::WrapBinaryShape(blocks);
  SimisContent content;
  ReadError error;
  ASSERT_TRUE(ReadSimisFile(file.data(), file.size(), content, error));
  EXPECT_EQ(content.form, StorageForm::kBinary);
  EXPECT_EQ(content.file_offset, 16u);
  EXPECT_EQ(std::vector<uint8_t>(content.data.begin(), content.data.end()),
            ffedit_test::MakeContent(blocks));
}

TEST(ReadSimisFile, InflatesTheCompressedForm) {
  std::vector<uint8_t> blocks = SampleBlocks();
  std::vector<uint8_t> file = ffedit_test::WrapCompressedShape(blocks);
  SimisContent content;
  ReadError error;
  ASSERT_TRUE(ReadSimisFile(file.data(), file.size(), content, error)) << error.what;
  EXPECT_EQ(content.form, StorageForm::kCompressed);
  EXPECT_EQ(std::vector<uint8_t>(content.data.begin(), content.data.end()),
            ffedit_test::MakeContent(blocks));
}

TEST(ReadSimisFile, SkipsALineBreakBeforeTheSignature) {
  std::vector<uint8_t> file = ffedit_test::WrapCompressedShape(SampleBlocks());
  file.insert(file.begin(), {'\r', '\n'});
  SimisContent content;
  ReadError error;
  ASSERT_TRUE(ReadSimisFile(file.data(), file.size(), content, error)) << error.what;
  EXPECT_EQ(content.form, StorageForm::kCompressed);
}

TEST(ReadSimisFile, RejectsAFileOfNoKnownForm) {
  ReadError error = ExpectFailure(Bytes("JINX0s1b______\r\nshape"));
  EXPECT_EQ(error.token, "file header");
  EXPECT_EQ(error.offset, 0u);
  ExpectFailure({});
  ExpectFailure(Bytes("S"));
  ExpectFailure(Bytes("SIMISA@@@@@@@@@"));  // one '@' short
}

TEST(ReadSimisFile, RejectsAStreamThatInflatesPastItsStatedSize) {
  std::vector<uint8_t> content = ffedit_test::MakeContent(SampleBlocks());
  ReadError error = ExpectFailure(Compress(content, static_cast<uint32_t>(content.size() - 1)));
  EXPECT_EQ(error.token, "zlib stream");
  EXPECT_NE(error.what.find("past the size stated"), std::string::npos) << error.what;
}

TEST(ReadSimisFile, RejectsAStreamThatEndsShortOfItsStatedSize) {
  std::vector<uint8_t> content = ffedit_test::MakeContent(SampleBlocks());
  ReadError error = ExpectFailure(Compress(content, static_cast<uint32_t>(content.size() + 1)));
  EXPECT_NE(error.what.find("short of the size"), std::string::npos) << error.what;
}

TEST(ReadSimisFile, RejectsAStatedSizeTheStreamCannotHold) {
  std::vector<uint8_t> file = Compress(ffedit_test::MakeContent(SampleBlocks()), 0xFFFFFFFFu);
  ReadError error = ExpectFailure(file);
  EXPECT_EQ(error.token, "SIMISA@F header");
  EXPECT_EQ(error.offset, 8u);
}

TEST(ReadSimisFile, RejectsEveryTruncationOfTheCompressedForm) {
  std::vector<uint8_t> file = ffedit_test::WrapCompressedShape(SampleBlocks());
  for (size_t size = 0; size < file.size(); ++size) {
    std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<long>(size));
    SimisContent content;
    ReadError error;
    EXPECT_FALSE(ReadSimisFile(cut.data(), cut.size(), content, error)) << size;
    EXPECT_FALSE(error.what.empty()) << size;
  }
}

TEST(ReadSimisFile, RejectsADamagedStream) {
  std::vector<uint8_t> file = ffedit_test::WrapCompressedShape(SampleBlocks());
  file[16] = 0x00;  // a zlib header that fails its check
  ReadError error = ExpectFailure(file);
  EXPECT_NE(error.what.find("damaged"), std::string::npos) << error.what;
  file = Bytes("SIMISA@F");
  file.insert(file.end(), {16, 0, 0, 0, '@', '@', '@', 'X'});
  EXPECT_EQ(ExpectFailure(file).offset, 12u);
}

TEST(ReadSimisFile, RejectsAStreamThatAsksForADictionary) {
  std::vector<uint8_t> content = ffedit_test::MakeContent(SampleBlocks());
  z_stream z{};
  ASSERT_EQ(deflateInit(&z, Z_DEFAULT_COMPRESSION), Z_OK);
  const Bytef dictionary[] = "JINX0s1b";
  deflateSetDictionary(&z, dictionary, 8);
  std::vector<uint8_t> packed(deflateBound(&z, static_cast<uLong>(content.size())));
  z.next_in = content.data();
  z.avail_in = static_cast<uInt>(content.size());
  z.next_out = packed.data();
  z.avail_out = static_cast<uInt>(packed.size());
  ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  packed.resize(z.total_out);
  deflateEnd(&z);
  std::vector<uint8_t> file = Bytes("SIMISA@F");
  uint32_t size = static_cast<uint32_t>(content.size());
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(size >> (8 * i)));
  file.insert(file.end(), {'@', '@', '@', '@'});
  file.insert(file.end(), packed.begin(), packed.end());
  EXPECT_NE(ExpectFailure(file).what.find("preset dictionary"), std::string::npos);
}

TEST(DescribeReadError, NamesTokenOffsetAndKindOfData) {
  ReadError error{"vertex", 1234, true, "3 bytes left in the block after its last value"};
  EXPECT_EQ(ffedit::DescribeReadError(error),
            "vertex at byte offset 1234 of the decompressed data: 3 bytes left in the block after "
            "its last value");
  error.in_decompressed_data = false;
  EXPECT_EQ(ffedit::DescribeReadError(error),
            "vertex at byte offset 1234: 3 bytes left in the block after its last value");
}

}  // namespace
