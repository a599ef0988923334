// TGA encoding and the file-to-file conversion: bytes, orientation, and what a failure leaves.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/texconv/support.h"
#include "tools/texconv/tga.h"

namespace {

using namespace texconv_test;
using test::ReadBytes;
using texconv::RgbaImage;

TEST(TgaEncode, HeaderAndBottomRowFirstAsBgra) {
  // One column of three pixels: top red, middle green (half transparent), bottom blue.
  RgbaImage image{1, 3, HexBytes("ff 00 00 ff   00 ff 00 80   00 00 ff 00")};
  EXPECT_EQ(texconv::EncodeTga(image),
            HexBytes("00 00 02 00 00 00 00 00 00 00 00 00 01 00 03 00 20 08"
                     "ff 00 00 00   00 ff 00 80   00 00 ff ff"));
  Bytes tga = texconv::EncodeTga({0x0123, 0x0201, Bytes(size_t(0x0123) * 0x0201 * 4, 0)});
  EXPECT_EQ(Bytes(tga.begin() + 12, tga.begin() + 16), HexBytes("23 01 01 02"));
}

// A conversion replaces the TGA, with the permissions a new file gets; a failure leaves it as it
// was, and no temporary file.
TEST(ConvertAceToTga, ReplacesTheTgaOnlyWhenTheConversionSucceeds) {
  test::TempFolder folder;
  Bytes truncated = WorkedExampleAce();
  truncated.pop_back();
  folder.Write("cut.ace", truncated);
  folder.Write("good.ace", WorkedExampleAce());
  folder.Write("kept.tga", HexBytes("01 02 03"));
  folder.Write("old.tga", HexBytes("01 02 03"));
  folder.Write("folder.tga/keep", "");
  const struct {
    std::string source, destination, reason;  // reason "": converted
  } cases[] = {
      {"cut.ace", "cut.tga", "truncated row 1"},
      {"cut.ace", "kept.tga", "truncated row 1"},
      {"none.ace", "n.tga", "cannot open"},
      {"good.ace", "no/such/a.tga", "cannot create"},
      {"", "x.tga", "not a regular file"},  // the folder itself
      {"good.ace", "folder.tga", "cannot rename"},
      {"good.ace", "old.tga", ""},
      {"good.ace", "new.tga", ""},
  };
  mode_t previous = umask(022);
  for (const auto& c : cases) {
    std::string reason;
    EXPECT_EQ(texconv::ConvertAceToTga(folder.File(c.source), folder.File(c.destination), reason),
              c.reason.empty());
    EXPECT_EQ(reason.find(c.reason), 0u) << c.destination << ": " << reason;
  }
  umask(previous);
  EXPECT_EQ(ReadBytes(folder.File("kept.tga")), HexBytes("01 02 03"));
  EXPECT_EQ(ReadBytes(folder.File("old.tga")), WorkedExampleTga());
  EXPECT_EQ(ReadBytes(folder.File("new.tga")), WorkedExampleTga());
  struct stat info;
  ASSERT_EQ(stat(folder.File("new.tga").c_str(), &info), 0);
  if (!test::kWindows) {
    EXPECT_EQ(info.st_mode & 0777, 0644u);  // Windows has no permission bits
  }
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"cut.ace", "folder.tga", "good.ace",
                                                     "kept.tga", "new.tga", "old.tga"}));
  EXPECT_EQ(folder.List("folder.tga"), std::vector<std::string>{"keep"});
}

// The file paths stream the picture in slices; they must give what EncodeTga gives.
TEST(ConvertAceToTga, StreamedTgaEqualsTheEncodedPicture) {
  const std::vector<AceChannel> alpha = {AceChannel::kBlue, AceChannel::kAlpha, AceChannel::kGreen,
                                         AceChannel::kRed};
  const struct {
    uint32_t width, height;
    bool mipmaps, dxt1, compress;
    std::vector<AceChannel> channels;
  } cases[] = {
      // Widths of 512 give slices of 128 rows: these cross several and end in a part one.
      {512, 300, false, false, false, kRgb}, {512, 260, true, true, true, kRgbMask},
      {512, 136, false, true, false, kRgb},  {37, 5, true, false, true, alpha},
      {2, 2, false, true, false, kRgbMask},  {640, 4, false, true, false, kRgbMask},
  };
  test::TempFolder folder;
  for (const auto& c : cases) {
    Bytes file = EncodeTestAce(c.width, c.height, c.mipmaps, c.dxt1, c.compress, c.channels);
    folder.Write("in.ace", file);
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
