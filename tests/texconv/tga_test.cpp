// TGA encoding and the file-to-file conversion: bytes, orientation, and what a failure leaves.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/texconv/support.h"
#include "tools/texconv/ace_write.h"
#include "tools/texconv/tga.h"

namespace {

using texconv::RgbaImage;
using namespace texconv_test;
using test::FileExists;
using test::ReadBytes;
using test::TempFolder;
using test::WriteFile;

TEST(TgaEncode, HeaderAndBottomRowFirstAsBgra) {
  // One column of three pixels: top red, middle green (half transparent), bottom blue.
  RgbaImage image{1, 3, HexBytes("ff 00 00 ff   00 ff 00 80   00 00 ff 00")};
  EXPECT_EQ(texconv::EncodeTga(image),
            HexBytes("00 00 02 00 00 00 00 00 00 00 00 00 01 00 03 00 20 08"
                     "ff 00 00 00   00 ff 00 80   00 00 ff ff"));
  RgbaImage large{0x0123, 0x0201, Bytes(size_t(0x0123) * 0x0201 * 4, 0)};
  Bytes tga = texconv::EncodeTga(large);
  EXPECT_EQ(Bytes(tga.begin() + 12, tga.begin() + 16), HexBytes("23 01 01 02"));
}

TEST(TgaEncode, WorkedExampleMatchesByteForByte) {
  RgbaImage image;
  std::string reason;
  ASSERT_TRUE(texconv::DecodeAceFile(WorkedExampleAce(), image, reason)) << reason;
  EXPECT_EQ(texconv::EncodeTga(image), WorkedExampleTga());
}

TEST(ConvertAceToTga, ReplacesTheTgaWithTheDecodedPictureWithUsualPermissions) {
  TempFolder folder;
  WriteFile(folder.File("a.ace"), WorkedExampleAce());
  WriteFile(folder.File("a.tga"), HexBytes("01 02 03"));
  WriteFile(folder.File("b.ace"), WorkedExampleAce());
  mode_t previous = umask(022);
  std::string reason;
  bool ok = texconv::ConvertAceToTga(folder.File("a.ace"), folder.File("a.tga"), reason) &&
            texconv::ConvertAceToTga(folder.File("b.ace"), folder.File("b.tga"), reason);
  umask(previous);
  ASSERT_TRUE(ok) << reason;
  EXPECT_EQ(ReadBytes(folder.File("a.tga")), WorkedExampleTga());
  EXPECT_EQ(ReadBytes(folder.File("b.tga")), WorkedExampleTga());
  struct stat info;
  ASSERT_EQ(stat(folder.File("b.tga").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"a.ace", "a.tga", "b.ace", "b.tga"}));
}

TEST(ConvertAceToTga, FailureLeavesTheDestinationAsItWasAndNoTemporary) {
  TempFolder folder;
  Bytes truncated = WorkedExampleAce();
  truncated.resize(truncated.size() - 1);
  folder.Write("cut.ace", truncated);
  folder.Write("good.ace", WorkedExampleAce());
  folder.Write("kept.tga", HexBytes("01 02 03"));
  folder.Write("folder.tga/keep", "");
  const struct {
    std::string source, destination, reason;
  } cases[] = {
      {"cut.ace", "cut.tga", "truncated row 1"},   {"cut.ace", "kept.tga", "truncated row 1"},
      {"none.ace", "n.tga", "cannot open"},        {"good.ace", "no/such/a.tga", "cannot create"},
      {"", "x.tga", "not a regular file"},  // the folder itself
      {"good.ace", "folder.tga", "cannot rename"},
  };
  for (const auto& c : cases) {
    std::string reason;
    EXPECT_FALSE(
        texconv::ConvertAceToTga(folder.File(c.source), folder.File(c.destination), reason));
    EXPECT_EQ(reason.find(c.reason), 0u) << c.destination << ": " << reason;
  }
  EXPECT_EQ(ReadBytes(folder.File("kept.tga")), HexBytes("01 02 03"));
  EXPECT_EQ(folder.List(),
            (std::vector<std::string>{"cut.ace", "folder.tga", "good.ace", "kept.tga"}));
  EXPECT_EQ(folder.List("folder.tga"), std::vector<std::string>{"keep"});
}

TEST(ConvertAceToTga, EveryTruncationLeavesNoFile) {
  texconv::AceWriteOptions options;
  options.mipmaps = true;
  options.dxt1 = true;
  options.compress = true;
  options.channels = kRgbMask;
  Bytes file = texconv::EncodeAceFile(MakeTestImage(8, 8, true), options);
  TempFolder folder;
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
  const std::vector<AceChannel>& rgb = kRgb;
  const std::vector<AceChannel>& mask = kRgbMask;
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
  TempFolder folder;
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
    EXPECT_EQ(ReadBytes(folder.File("out.tga")), texconv::EncodeTga(image))
        << c.width << "x" << c.height;
    ASSERT_TRUE(texconv::WriteTgaFile(folder.File("image.tga"), image, reason)) << reason;
    EXPECT_EQ(ReadBytes(folder.File("image.tga")), texconv::EncodeTga(image))
        << c.width << "x" << c.height;
  }
}

}  // namespace
