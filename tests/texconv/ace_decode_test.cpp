// Decoding of ACE data: header checks, sizes, planar rows, mask and alpha, DXT1, the wrapper,
// truncation.
#include <gtest/gtest.h>

#include <array>

#include "tests/texconv/support.h"

namespace {

using namespace texconv_test;
using texconv::RgbaImage;
constexpr uint32_t kMip = texconv::kAceFlagMipmaps, kRaw = texconv::kAceFlagRawData;

struct Decoded {
  bool ok;
  RgbaImage image;
  std::string reason;
};

Decoded DecodeData(const Bytes& data) {
  Decoded d;
  d.ok = texconv::DecodeAceData(data, d.image, d.reason);
  return d;
}

Decoded DecodeFile(const Bytes& file) {
  Decoded d;
  d.ok = texconv::DecodeAceFile(file, d.image, d.reason);
  return d;
}

// The worked example without its SIMIS wrapper.
Bytes WorkedExampleData() {
  Bytes file = WorkedExampleAce();
  return Bytes(file.begin() + 16, file.end());
}

// A DXT1 level 0 of 8-byte blocks (hex) after a one-entry offset table and the byte count.
Bytes Dxt1Data(uint32_t width, uint32_t height, const std::vector<AceChannel>& channels,
               const std::string& blocks) {
  Bytes data = MakeAceData(kRaw, width, height, 0x12, channels, "00000000");
  Bytes bytes = HexBytes(blocks);
  data.insert(data.end(), {uint8_t(bytes.size()), 0, 0, 0});
  data.insert(data.end(), bytes.begin(), bytes.end());
  return data;
}

TEST(AceDecode, RowsAndBlocksGivePixels) {
  const struct {
    const char* what;
    Bytes data;
    std::vector<std::array<uint32_t, 3>> pixels;  // x, y, RGBA
  } cases[] = {
      {"the worked example",
       WorkedExampleData(),
       {{0, 0, 0xFF0000FF}, {1, 0, 0x00FF0000}, {0, 1, 0x0000FFFF}, {1, 1, 0x808080FF}}},
      {"three channels are opaque",
       MakeAceData(0, 3, 1, 0x0E, kRgb, "00000000 10 20 30 40 50 60 70 80 90"),
       {{0, 0, 0x104070FF}, {1, 0, 0x205080FF}, {2, 0, 0x306090FF}}},
      {"planes follow the descriptors",
       MakeAceData(0, 2, 1, 0x0E, {AceChannel::kBlue, AceChannel::kRed, AceChannel::kGreen},
                   "00000000 01 02  11 12  21 22"),
       {{0, 0, 0x112101FF}, {1, 0, 0x122202FF}}},
      {"alpha wins over the mask",
       MakeAceData(0, 2, 1, 0x11, kRgbMaskAlpha, "00000000 01 02  03 04  05 06  40  7f 80"),
       {{0, 0, 0x0103057F}, {1, 0, 0x02040680}}},
      {"mipmaps skipped, table not trusted",
       MakeAceData(kMip, 2, 2, 0x0E, kRgb,
                   "f0ffff7f f0ffff7f f0ffff7f  a1 a2 b1 b2 c1 c2  a3 a4 b3 b4 c3 c4  ee ee ee"),
       {{0, 0, 0xA1B1C1FF}, {1, 1, 0xA4B4C4FF}}},
      {"DXT1 levels below four are planar rows with the mask",
       MakeAceData(kRaw, 2, 2, 0x12, kRgbMask,
                   "00000000 01 02 03 04 05 06 80  07 08 09 0a 0b 0c 40"),
       {{0, 0, 0x010305FF}, {1, 0, 0x02040600}, {0, 1, 0x07090B00}, {1, 1, 0x080A0CFF}}},
      // Width 10: bits 1010000001 from the high bit, then six unused low bits set.
      {"mask: leftmost pixel in the high bit",
       MakeAceData(0, 10, 1, 0x10, kRgbMask, "00000000" + std::string(60, '5') + "a0 7f"),
       {{0, 0, 0x555555FF}, {8, 0, 0x55555500}, {9, 0, 0x555555FF}}},
      // Index byte y holds row y, pixel x in bits 2x: row 0 has indices 0, 1, 2, 3.
      {"DXT1 four colours, red over blue",
       Dxt1Data(4, 4, kRgb, "00 f8 1f 00 e4 00 00 00"),
       {{0, 0, 0xFF0000FF}, {1, 0, 0x0000FFFF}, {2, 0, 0xAA0055FF}, {3, 0, 0x5500AAFF}}},
      {"DXT1 three colours, mask: black is transparent",
       Dxt1Data(4, 4, kRgbMask, "1f 00 00 f8 e4 00 00 00"),
       {{0, 0, 0x0000FFFF}, {1, 0, 0xFF0000FF}, {2, 0, 0x7F007FFF}, {3, 0, 0x00000000}}},
      {"DXT1 three colours, no mask: black is opaque; rows from the index bytes",
       Dxt1Data(4, 4, kRgb, "1f 00 00 f8 e4 00 00 01"),
       {{3, 0, 0x000000FF}, {0, 1, 0x0000FFFF}, {0, 3, 0xFF0000FF}, {1, 3, 0x0000FFFF}}},
      {"DXT1 equal colours are three-colour mode",
       Dxt1Data(4, 4, kRgbMask, "10 84 10 84 e4 00 00 00"),
       {{2, 0, 0x848284FF}, {3, 0, 0x00000000}}},
      {"DXT1 green expands six bits",
       Dxt1Data(4, 4, kRgb, "e0 07 00 00 e4 00 00 00"),
       {{0, 0, 0x00FF00FF}, {2, 0, 0x00AA00FF}, {3, 0, 0x005500FF}}},
      {"DXT1 blocks go left to right",
       Dxt1Data(8, 4, kRgb, "00 f8 00 00 00 00 00 00  1f 00 00 00 00 00 00 00"),
       {{3, 3, 0xFF0000FF}, {4, 0, 0x0000FFFF}}},
      {"DXT1 blocks go top to bottom",
       Dxt1Data(4, 8, kRgb, "00 f8 00 00 00 00 00 00  1f 00 00 00 00 00 00 00"),
       {{3, 3, 0xFF0000FF}, {0, 4, 0x0000FFFF}}},
  };
  for (const auto& c : cases) {
    Decoded d = DecodeData(c.data);
    ASSERT_TRUE(d.ok) << c.what << ": " << d.reason;
    for (auto [x, y, rgba] : c.pixels)
      EXPECT_EQ(PixelAt(d.image, x, y), rgba) << c.what << " " << x;
  }
}

TEST(AceLayout, ComputesLevelsAndTheSizeTheHeaderImplies) {
  const struct {
    uint32_t flags, width, height, surface;
    std::vector<AceChannel> channels;
    uint32_t levels;
    uint64_t data_end;
  } cases[] = {
      // 200 + 2047 * 4 + 3 * (1024^2 + ... + 1).
      {kMip, 1024, 1024, 0x0E, kRgb, 11, 4202691},
      {kMip | kRaw, 256, 256, 0x12, kRgbMask, 9, 43986},
      {0, 2, 2, 0x10, kRgbMask, 1, 238},  // the worked example
      // Flag 4 is ignored: 200 + 4 * (4 + 2 + 1) + 3 * (16 + 4 + 1).
      {kMip | texconv::kAceFlagIgnored, 4, 4, 0x0E, kRgb, 3, 291},
      // 8x2, 4x1, 2x1, 1x1: sides stay at least one; 232 + 4 * 5 + 66 + 17 + 9 + 5.
      {kMip, 8, 2, 0x11, kRgbMaskAlpha, 4, 349},
  };
  for (const auto& c : cases) {
    texconv::AceLayout layout;
    std::string reason;
    ASSERT_TRUE(texconv::ReadAceLayout(
        MakeAceData(c.flags, c.width, c.height, c.surface, c.channels), layout, reason))
        << reason;
    EXPECT_EQ(layout.level_count, c.levels) << c.width << "x" << c.height;
    EXPECT_EQ(layout.data_end, c.data_end) << c.width << "x" << c.height;
  }
}

TEST(AceWrapper, PlainAndCompressedFilesDecodeIgnoringTrailingBytes) {
  texconv::AceWriteOptions options;
  options.channels = kRgbMaskAlpha;
  options.trailing_bytes = 1472;
  Bytes data = texconv::EncodeAceData(MakeTestImage(9, 7), options);
  for (bool compress : {false, true}) {
    Decoded d = DecodeFile(texconv::WrapAceData(data, compress));
    ASSERT_TRUE(d.ok) << d.reason;
    EXPECT_EQ(d.image.pixels, MakeTestImage(9, 7).pixels) << compress;
  }
}

// Each refusal names its fault and leaves the picture alone.
TEST(AceDecode, RefusesFaultyFilesNamingTheFault) {
  auto plain = [](const Bytes& data) { return texconv::WrapAceData(data, false); };
  // The 4 x 4 mask header with the 32-bit value at offset replaced.
  auto patched = [&plain](size_t offset, uint32_t value) {
    Bytes data = MakeAceData(0, 4, 4, 0x10, kRgbMask);
    for (int i = 0; i < 4; ++i) data[offset + size_t(i)] = uint8_t(value >> (8 * i));
    return plain(data);
  };
  Bytes header = MakeAceData(0, 4, 4, 0x10, kRgbMask);
  Bytes wrong_count = Dxt1Data(4, 4, kRgb, "00 00 00 00 00 00 00 00");
  wrong_count[wrong_count.size() - 12] = 16;
  Bytes two_blocks = Dxt1Data(4, 8, kRgb, "00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00");
  two_blocks.pop_back();
  Bytes rows = MakeAceData(0, 4, 64, 0x0E, kRgb);
  rows.resize(rows.size() + 64 * 4 + 12 * 37 + 5, 0);
  Bytes mipmap = MakeAceData(kMip, 2, 2, 0x0E, kRgb);
  mipmap.resize(mipmap.size() + 3 * 4 + 12 + 2, 0);  // level 0 complete, level 1 one byte short
  Bytes data = WorkedExampleData();
  uint32_t size = uint32_t(data.size());
  Bytes longer = data;
  longer.resize(size + 100, 0);
  Bytes bad_stream = WrapCompressed(data, size);
  bad_stream[20] ^= 0xFF;
  Bytes no_at = WrapCompressed(data, size);
  no_at[13] = 'X';
  Bytes cut_stream = WrapCompressed(data, size);
  cut_stream.resize(cut_stream.size() - 6);
  Bytes cut_checksum = WrapCompressed(data, size);
  cut_checksum.resize(cut_checksum.size() - 2);
  // A 2 x 2 header followed by 8 MiB of zeros: refused without inflating them.
  Bytes bomb = MakeAceData(0, 2, 2, 0x0E, kRgb);
  bomb.resize(bomb.size() + (8u << 20), 0);
  const struct {
    Bytes file;
    // Ending in a blank: a prefix (the count after it depends on zlib); empty: any reason.
    std::string reason;
  } cases[] = {
      {plain(MakeAceData(0, 0, 4, 0x0E, kRgb)), "size 0x4 outside 1-8192"},
      {plain(MakeAceData(0, 4, 8193, 0x0E, kRgb)), "size 4x8193 outside 1-8192"},
      {plain(MakeAceData(0, 4, 4, 0x0E, {})), "channel count 0 outside 1-8"},
      {plain(MakeAceData(kRaw, 8, 8, 0x0E, kRgb)), "unsupported surface format 0x0e"},
      {plain(MakeAceData(0x02, 8, 8, 0x0E, kRgb)), "unsupported flags 0x02"},
      {plain(MakeAceData(kRaw, 6, 8, 0x12, kRgb)), "DXT1 size 6x8 is not a multiple of 4"},
      {plain(MakeAceData(0, 4, 4, 0x0E, {AceChannel::kRed, AceChannel::kGreen})),
       "planar data without red, green and blue channels"},
      {plain(MakeAceData(0, 4, 4, 0x0E, {AceChannel::kRed, AceChannel::kRed, AceChannel::kBlue})),
       "channel type 3 repeated in descriptor 1"},
      {patched(0, 2), "ACE signature 0x02 is not 1"},
      {patched(20, 0x7FFFFFFF), "channel count 2147483647 outside 1-8"},
      {patched(152 + 16 + 8, 1), "unknown channel type 1 in descriptor 1"},
      {patched(152 + 48, 8), "channel type 2 with 8 bits in descriptor 3"},
      {patched(152 + 4, 1), "channel type 3 with 4294967304 bits in descriptor 0"},
      {plain(Bytes(header.begin(), header.begin() + 151)), "truncated ACE header"},
      {plain(Bytes(header.begin(), header.end() - 1)), "truncated channel descriptors"},
      {plain(wrong_count), "DXT1 byte count 16, expected 8"},
      {plain(MakeAceData(kRaw, 4, 4, 0x12, kRgb, "00000000 0800")), "truncated DXT1 byte count"},
      {plain(two_blocks), "truncated DXT1 block row 1"},
      {plain(rows), "truncated row 37"},
      {plain(mipmap), "truncated mipmap level 1"},
      // Huge dimensions with little data: refused before allocating the picture.
      {plain(MakeAceData(kMip, 8192, 8192, 0x11, kRgbMaskAlpha)), "truncated offset table"},
      {WrapCompressed(longer, size), "zlib data longer than its size field 238"},
      {WrapCompressed(data, size + 5), "zlib data ends after 238 of 243 bytes"},
      {WrapCompressed(data, size + (1u << 20) + 1),
       "size field 1048815 exceeds the image data (238 bytes) by more than 1048576"},
      {WrapCompressed(Bytes(data.begin(), data.end() - 1), size - 1), "truncated row 1"},
      {WrapCompressed(bomb, uint32_t(bomb.size())),
       "size field 8388808 exceeds the image data (220 bytes) by more than 1048576"},
      {cut_stream, "zlib data cut off after "},
      {cut_checksum, "zlib data cut off after 238 bytes"},
      {bad_stream, ""},
      // zlib header 78 bb: FDICT set, followed by a dictionary id.
      {HexBytes("53494d4953414046 ee000000 40404040 78bb00000001 0300"),
       "zlib stream needs a preset dictionary"},
      {no_at, "compressed SIMIS header without @@@@"},
      {HexBytes("ff fe 53 00 49 00 4d 00 49 00 53 00 41 00 40 00 40 00"),
       "a SIMIS text file, not a texture"},
      {HexBytes("53 49 4d 49 53"), "not a SIMIS file (shorter than its signature)"},
      {HexBytes("53494d4953414040 4040404040404041 01000000"), "not a SIMIS file"},
  };
  for (const auto& c : cases) {
    Decoded d = DecodeFile(c.file);
    EXPECT_FALSE(d.ok) << c.reason;
    if (c.reason.empty() || c.reason.back() == ' ') {
      EXPECT_EQ(d.reason.rfind(c.reason, 0), 0u) << d.reason;
      EXPECT_FALSE(d.reason.empty());
    } else {
      EXPECT_EQ(d.reason, c.reason);
    }
    EXPECT_TRUE(d.image.pixels.empty()) << c.reason;
  }
}

TEST(AceDecode, EveryPrefixOfValidFilesIsRefused) {
  const Bytes files[] = {WorkedExampleAce(), EncodeTestAce(8, 8, true, false, false, kRgbMaskAlpha),
                         EncodeTestAce(8, 8, true, false, true, kRgbMaskAlpha),
                         EncodeTestAce(8, 8, true, true, false, kRgbMask),
                         EncodeTestAce(8, 8, true, true, true, kRgbMask)};
  for (const Bytes& file : files) {
    ASSERT_TRUE(DecodeFile(file).ok) << file.size();
    for (size_t length = 0; length < file.size(); ++length) {
      Decoded d = DecodeFile(Bytes(file.begin(), file.begin() + long(length)));
      EXPECT_FALSE(d.ok) << file.size() << " cut at " << length;
      EXPECT_FALSE(d.reason.empty()) << file.size() << " cut at " << length;
    }
  }
}

}  // namespace
