// TGA encoding and the file-to-file conversion: bytes, orientation, and what a failure leaves.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/texconv/texconv_test_support.h"
#include "tools/texconv/ace_write.h"
#include "tools/texconv/tga.h"

namespace {

using texconv::RgbaImage;
using namespace texconv_test;

TEST(TgaEncode, HeaderIsUncompressed32BitBottomLeft) {
  RgbaImage image{256, 128, Bytes(256 * 128 * 4, 0)};
  Bytes tga = texconv::EncodeTga(image);
  ASSERT_EQ(tga.size(), 18u + 256 * 128 * 4);
  EXPECT_EQ(Bytes(tga.begin(), tga.begin() + 18),
            HexBytes("00 00 02 00 00 00 00 00 00 00 00 00 00 01 80 00 20 08"));
}

TEST(TgaEncode, StoresTheBottomRowFirstAsBgra) {
  // One column of three pixels: top red, middle green (half transparent), bottom blue.
  RgbaImage image{1, 3, HexBytes("ff 00 00 ff   00 ff 00 80   00 00 ff 00")};
  Bytes tga = texconv::EncodeTga(image);
  EXPECT_EQ(Bytes(tga.begin() + 18, tga.end()),
            HexBytes("ff 00 00 00   00 ff 00 80   00 00 ff ff"));
}

TEST(TgaEncode, WorkedExampleMatchesByteForByte) {
  RgbaImage image;
  std::string reason;
  ASSERT_TRUE(texconv::DecodeAceFile(WorkedExampleAce(), image, reason)) << reason;
  EXPECT_EQ(texconv::EncodeTga(image), WorkedExampleTga());
}

TEST(TgaEncode, LargeSidesUseBothHeaderBytes) {
  RgbaImage image{0x0123, 0x0201, Bytes(size_t(0x0123) * 0x0201 * 4, 0)};
  Bytes tga = texconv::EncodeTga(image);
  EXPECT_EQ(Bytes(tga.begin() + 12, tga.begin() + 16), HexBytes("23 01 01 02"));
}

TEST(ConvertAceToTga, WritesTheTgaOfTheDecodedPicture) {
  TemporaryFolder folder;
  WriteFile(folder.File("a.ace"), WorkedExampleAce());
  std::string reason;
  ASSERT_TRUE(texconv::ConvertAceToTga(folder.File("a.ace"), folder.File("a.tga"), reason))
      << reason;
  EXPECT_EQ(ReadFile(folder.File("a.tga")), WorkedExampleTga());
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"a.ace", "a.tga"}));
}

TEST(ConvertAceToTga, NewFileGetsTheUsualPermissions) {
  TemporaryFolder folder;
  WriteFile(folder.File("a.ace"), WorkedExampleAce());
  mode_t previous = umask(022);
  std::string reason;
  bool ok = texconv::ConvertAceToTga(folder.File("a.ace"), folder.File("a.tga"), reason);
  umask(previous);
  ASSERT_TRUE(ok) << reason;
  struct stat info;
  ASSERT_EQ(stat(folder.File("a.tga").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(ConvertAceToTga, FailureLeavesNoFileAndNoTemporary) {
  TemporaryFolder folder;
  Bytes truncated = WorkedExampleAce();
  truncated.resize(truncated.size() - 1);
  WriteFile(folder.File("bad.ace"), truncated);
  std::string reason;
  EXPECT_FALSE(texconv::ConvertAceToTga(folder.File("bad.ace"), folder.File("bad.tga"), reason));
  EXPECT_EQ(reason, "truncated row 1");
  EXPECT_EQ(folder.List(), std::vector<std::string>{"bad.ace"});
}

TEST(ConvertAceToTga, ExistingTgaIsKeptWhenConversionFails) {
  TemporaryFolder folder;
  WriteFile(folder.File("bad.ace"), HexBytes("53 49 4d 49 53 41 40 40"));
  WriteFile(folder.File("bad.tga"), HexBytes("01 02 03"));
  std::string reason;
  EXPECT_FALSE(texconv::ConvertAceToTga(folder.File("bad.ace"), folder.File("bad.tga"), reason));
  EXPECT_EQ(ReadFile(folder.File("bad.tga")), HexBytes("01 02 03"));
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"bad.ace", "bad.tga"}));
}

TEST(ConvertAceToTga, ExistingTgaIsReplacedByACompleteOne) {
  TemporaryFolder folder;
  WriteFile(folder.File("a.ace"), WorkedExampleAce());
  WriteFile(folder.File("a.tga"), HexBytes("01 02 03"));
  std::string reason;
  ASSERT_TRUE(texconv::ConvertAceToTga(folder.File("a.ace"), folder.File("a.tga"), reason));
  EXPECT_EQ(ReadFile(folder.File("a.tga")), WorkedExampleTga());
}

TEST(ConvertAceToTga, ReportsMissingSourceAndUnwritableDestination) {
  TemporaryFolder folder;
  std::string reason;
  EXPECT_FALSE(texconv::ConvertAceToTga(folder.File("none.ace"), folder.File("n.tga"), reason));
  EXPECT_NE(reason.find("cannot open"), std::string::npos) << reason;
  WriteFile(folder.File("a.ace"), WorkedExampleAce());
  EXPECT_FALSE(
      texconv::ConvertAceToTga(folder.File("a.ace"), folder.File("no/such/a.tga"), reason));
  EXPECT_NE(reason.find("cannot create"), std::string::npos) << reason;
  EXPECT_FALSE(texconv::ConvertAceToTga(folder.path(), folder.File("x.tga"), reason));
  EXPECT_EQ(folder.List(), std::vector<std::string>{"a.ace"});
}

TEST(ConvertAceToTga, DestinationThatIsAFolderFailsWithoutLeftovers) {
  TemporaryFolder folder;
  WriteFile(folder.File("a.ace"), WorkedExampleAce());
  ASSERT_EQ(mkdir(folder.File("a.tga").c_str(), 0755), 0);
  WriteFile(folder.File("a.tga") + "/keep", HexBytes("00"));
  std::string reason;
  EXPECT_FALSE(texconv::ConvertAceToTga(folder.File("a.ace"), folder.File("a.tga"), reason));
  EXPECT_NE(reason.find("cannot rename"), std::string::npos) << reason;
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"a.ace", "a.tga"}));
}

TEST(ConvertAceToTga, EveryTruncationLeavesNoFile) {
  texconv::AceWriteOptions options;
  options.mipmaps = true;
  options.dxt1 = true;
  options.compress = true;
  options.channels = {texconv::AceChannel::kRed, texconv::AceChannel::kGreen,
                      texconv::AceChannel::kBlue, texconv::AceChannel::kMask};
  Bytes file = texconv::EncodeAceFile(MakeTestImage(8, 8, true), options);
  TemporaryFolder folder;
  for (size_t length = 0; length < file.size(); ++length) {
    WriteFile(folder.File("t.ace"), Bytes(file.begin(), file.begin() + long(length)));
    std::string reason;
    EXPECT_FALSE(texconv::ConvertAceToTga(folder.File("t.ace"), folder.File("t.tga"), reason))
        << length;
    EXPECT_FALSE(FileExists(folder.File("t.tga"))) << length;
  }
  EXPECT_EQ(folder.List(), std::vector<std::string>{"t.ace"});
}

TEST(ConvertAceToTga, StreamedTgaEqualsTheEncodedPicture) {
  using texconv::AceChannel;
  const std::vector<AceChannel> rgb = {AceChannel::kRed, AceChannel::kGreen, AceChannel::kBlue};
  const std::vector<AceChannel> mask = {AceChannel::kRed, AceChannel::kGreen, AceChannel::kBlue,
                                        AceChannel::kMask};
  const std::vector<AceChannel> alpha = {AceChannel::kBlue, AceChannel::kAlpha, AceChannel::kGreen,
                                         AceChannel::kRed};
  struct Case {
    uint32_t width, height;
    bool mipmaps, dxt1, compress;
    std::vector<AceChannel> channels;
  };
  // Widths of 512 give slices of 128 rows, so these cross several slices and end in a part one.
  const Case cases[] = {
      {512, 300, false, false, false, rgb}, {512, 260, true, true, true, mask},
      {512, 136, false, true, false, rgb},  {37, 5, true, false, true, alpha},
      {1, 1, false, false, false, mask},    {2, 2, false, true, false, mask},
      {640, 4, false, true, false, mask},
  };
  TemporaryFolder folder;
  for (const Case& c : cases) {
    texconv::AceWriteOptions options;
    options.mipmaps = c.mipmaps;
    options.dxt1 = c.dxt1;
    options.compress = c.compress;
    options.channels = c.channels;
    Bytes file = texconv::EncodeAceFile(MakeTestImage(c.width, c.height, true), options);
    WriteFile(folder.File("in.ace"), file);
    RgbaImage image;
    std::string reason;
    ASSERT_TRUE(texconv::DecodeAceFile(file, image, reason)) << reason;
    ASSERT_TRUE(texconv::ConvertAceToTga(folder.File("in.ace"), folder.File("out.tga"), reason))
        << reason;
    EXPECT_EQ(ReadFile(folder.File("out.tga")), texconv::EncodeTga(image))
        << c.width << "x" << c.height;
    ASSERT_TRUE(texconv::WriteTgaFile(folder.File("image.tga"), image, reason)) << reason;
    EXPECT_EQ(ReadFile(folder.File("image.tga")), texconv::EncodeTga(image))
        << c.width << "x" << c.height;
  }
}

}  // namespace
