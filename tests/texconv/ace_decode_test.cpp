// Decoding of ACE data: header checks, planar rows, mask and alpha, DXT1, the wrapper.
#include <gtest/gtest.h>

#include "tests/texconv/support.h"
#include "tools/texconv/ace.h"
#include "tools/texconv/ace_write.h"

namespace {

using texconv::RgbaImage;
using namespace texconv_test;

struct Decoded {
  bool ok;
  RgbaImage image;
  std::string reason;
};

Decoded DecodeData(const Bytes& ace_data) {
  Decoded d;
  d.ok = texconv::DecodeAceData(ace_data, d.image, d.reason);
  return d;
}

Decoded DecodeFile(const Bytes& file) {
  Decoded d;
  d.ok = texconv::DecodeAceFile(file, d.image, d.reason);
  return d;
}

// Header, an offset table of `entries` values (the decoder must not need it), then rows.
Bytes AceData(uint32_t flags, uint32_t width, uint32_t height, uint32_t surface,
              const std::vector<AceChannel>& channels, size_t entries, const std::string& rows,
              uint32_t entry_value = 0) {
  Bytes data = MakeAceHeader(flags, width, height, surface, channels);
  for (size_t i = 0; i < entries; ++i) AppendU32(data, entry_value);
  Bytes bytes = HexBytes(rows);
  data.insert(data.end(), bytes.begin(), bytes.end());
  return data;
}

TEST(PlanarDecode, RowsGivePixels) {
  const uint32_t kMip = texconv::kAceFlagMipmaps, kRaw = texconv::kAceFlagRawData;
  const struct {
    const char* what;
    Bytes data;
    std::vector<std::pair<std::pair<uint32_t, uint32_t>, uint32_t>> pixels;  // (x, y) -> RGBA
  } cases[] = {
      {"the worked example",
       [] {
         Bytes file = WorkedExampleAce();
         return Bytes(file.begin() + 16, file.end());
       }(),
       {{{0, 0}, 0xFF0000FF}, {{1, 0}, 0x00FF0000}, {{0, 1}, 0x0000FFFF}, {{1, 1}, 0x808080FF}}},
      {"three channels are opaque",
       AceData(0, 3, 1, 0x0E, kRgb, 1, "10 20 30 40 50 60 70 80 90"),
       {{{0, 0}, 0x104070FF}, {{1, 0}, 0x205080FF}, {{2, 0}, 0x306090FF}}},
      {"planes follow the descriptors",
       AceData(0, 2, 1, 0x0E, {AceChannel::kBlue, AceChannel::kRed, AceChannel::kGreen}, 1,
               "01 02  11 12  21 22"),
       {{{0, 0}, 0x112101FF}, {{1, 0}, 0x122202FF}}},
      {"alpha wins over the mask",
       AceData(0, 2, 1, 0x11, kRgbMaskAlpha, 1, "01 02  03 04  05 06  40  7f 80"),
       {{{0, 0}, 0x0103057F}, {{1, 0}, 0x02040680}}},
      {"mipmaps skipped, table not trusted",
       AceData(kMip, 2, 2, 0x0E, kRgb, 3, "a1 a2 b1 b2 c1 c2  a3 a4 b3 b4 c3 c4  ee ee ee",
               0x7FFFFFF0u),
       {{{0, 0}, 0xA1B1C1FF}, {{1, 1}, 0xA4B4C4FF}}},
      {"DXT1 levels below four are planar rows with the mask",
       AceData(kRaw, 2, 2, 0x12, kRgbMask, 1, "01 02 03 04 05 06 80   07 08 09 0a 0b 0c 40"),
       {{{0, 0}, 0x010305FF}, {{1, 0}, 0x02040600}, {{0, 1}, 0x07090B00}, {{1, 1}, 0x080A0CFF}}},
      // Width 10: bits 1010000001 from the high bit, then six unused low bits set.
      {"mask: leftmost pixel in the high bit",
       AceData(0, 10, 1, 0x10, kRgbMask, 1,
               [] {
                 std::string rows;
                 for (int i = 0; i < 30; ++i) rows += "55 ";
                 return rows + "a0 7f";
               }()),
       {{{0, 0}, 0x555555FF},
        {{1, 0}, 0x55555500},
        {{2, 0}, 0x555555FF},
        {{8, 0}, 0x55555500},
        {{9, 0}, 0x555555FF}}},
  };
  for (const auto& c : cases) {
    Decoded d = DecodeData(c.data);
    ASSERT_TRUE(d.ok) << c.what << ": " << d.reason;
    for (const auto& [at, rgba] : c.pixels)
      EXPECT_EQ(PixelAt(d.image, at.first, at.second), rgba) << c.what << " " << at.first;
  }
}

TEST(PlanarDecode, TruncationNamesWhatIsMissing) {
  const uint32_t kMip = texconv::kAceFlagMipmaps;
  Bytes dxt1 = AceData(texconv::kAceFlagRawData, 4, 4, 0x12, kRgb, 1, "08 00 00 00");
  dxt1.resize(dxt1.size() + 8, 0);
  Bytes wrong_count = dxt1;
  wrong_count[wrong_count.size() - 12] = 16;
  Bytes two_blocks = AceData(texconv::kAceFlagRawData, 4, 8, 0x12, kRgb, 1, "10 00 00 00");
  two_blocks.resize(two_blocks.size() + 15, 0);
  Bytes rows = AceData(0, 4, 64, 0x0E, kRgb, 64, "");
  rows.resize(rows.size() + 12 * 37 + 5, 0);
  Bytes mipmap = AceData(kMip, 2, 2, 0x0E, kRgb, 3, "");
  mipmap.resize(mipmap.size() + 12 + 2, 0);  // level 0 complete, level 1 one byte short
  const struct {
    Bytes data;
    const char* reason;
  } cases[] = {
      {wrong_count, "DXT1 byte count 16, expected 8"},
      {two_blocks, "truncated DXT1 block row 1"},
      {rows, "truncated row 37"},
      {mipmap, "truncated mipmap level 1"},
      // Huge dimensions with little data: refused before allocating the picture.
      {MakeAceHeader(kMip, 8192, 8192, 0x11, kRgbMaskAlpha), "truncated offset table"},
  };
  for (const auto& c : cases) {
    Decoded d = DecodeData(c.data);
    EXPECT_FALSE(d.ok) << c.reason;
    EXPECT_EQ(d.reason, c.reason);
    EXPECT_TRUE(d.image.pixels.empty()) << c.reason;
  }
}

TEST(PlanarDecode, EncodedPicturesDecodeBack) {
  texconv::AceWriteOptions flag_four;  // flag 4 is ignored
  flag_four.mipmaps = true;
  flag_four.extra_flags = texconv::kAceFlagIgnored;
  texconv::AceWriteOptions non_square;  // 8x2, 4x1, 2x1, 1x1: sides stay at least one
  non_square.mipmaps = true;
  non_square.channels = kRgbMaskAlpha;
  const struct {
    texconv::AceWriteOptions options;
    RgbaImage image;
    uint32_t levels;
  } cases[] = {{flag_four, MakeTestImage(4, 4, false), 3},
               {non_square, MakeTestImage(8, 2, true), 4}};
  for (const auto& c : cases) {
    Bytes data = texconv::EncodeAceData(c.image, c.options);
    Decoded d = DecodeData(data);
    ASSERT_TRUE(d.ok) << d.reason;
    EXPECT_EQ(d.image.pixels, c.image.pixels);
    texconv::AceLayout layout;
    std::string reason;
    ASSERT_TRUE(texconv::ReadAceLayout(data, layout, reason));
    EXPECT_EQ(layout.level_count, c.levels);
    EXPECT_EQ(layout.data_end, data.size());
  }
}

// ---- sizes the header implies --------------------------------------------------------

TEST(AceLayout, ComputesTheDocumentedSizes) {
  struct Case {
    uint32_t flags, width, height, surface;
    std::vector<AceChannel> channels;
    uint64_t data_end;
  };
  const Case cases[] = {
      // 1024 planar RGB with mipmaps: 200 + 2047 * 4 + 3 * (1024^2 + ... + 1).
      {0x01, 1024, 1024, 0x0E, kRgb, 4202691},
      // 256 DXT1 with mask and mipmaps.
      {0x11, 256, 256, 0x12, kRgbMask, 43986},
      // the worked example
      {0x00, 2, 2, 0x10, kRgbMask, 238},
  };
  for (const Case& c : cases) {
    Bytes data = MakeAceHeader(c.flags, c.width, c.height, c.surface, c.channels);
    texconv::AceLayout layout;
    std::string reason;
    ASSERT_TRUE(texconv::ReadAceLayout(data, layout, reason)) << reason;
    EXPECT_EQ(layout.data_end, c.data_end) << c.width << "x" << c.height;
  }
}

TEST(AceLayout, RefusesBadHeadersAndDescriptors) {
  auto header = [](uint32_t flags, uint32_t width, uint32_t height, uint32_t surface,
                   const std::vector<AceChannel>& channels) {
    return MakeAceHeader(flags, width, height, surface, channels);
  };
  // The 4 x 4 mask header with the 32-bit value at offset replaced.
  auto patched = [](size_t offset, uint32_t value) {
    Bytes data = MakeAceHeader(0, 4, 4, 0x10, kRgbMask);
    for (int i = 0; i < 4; ++i) data[offset + size_t(i)] = uint8_t(value >> (8 * i));
    return data;
  };
  Bytes cut = header(0, 4, 4, 0x10, kRgbMask);
  const struct {
    Bytes data;
    const char* reason;
  } cases[] = {
      {header(0, 0, 4, 0x0E, kRgb), "size 0x4 outside 1-8192"},
      {header(0, 8193, 4, 0x0E, kRgb), "size 8193x4 outside 1-8192"},
      {header(0, ~0u, ~0u, 0x0E, kRgb), "size 4294967295x4294967295 outside 1-8192"},
      {header(0, 4, 4, 0x0E, {}), "channel count 0 outside 1-8"},
      {header(0x10, 8, 8, 0x14, kRgb), "unsupported surface format 0x14"},
      {header(0x10, 8, 8, 0x0E, kRgb), "unsupported surface format 0x0e"},
      {header(0x02, 8, 8, 0x0E, kRgb), "unsupported flags 0x02"},
      {header(0x10, 6, 8, 0x12, kRgb), "DXT1 size 6x8 is not a multiple of 4"},
      {header(0, 4, 4, 0x0E, {AceChannel::kRed, AceChannel::kGreen}),
       "planar data without red, green and blue channels"},
      {header(0, 4, 4, 0x0E, {AceChannel::kRed, AceChannel::kRed, AceChannel::kBlue}),
       "channel type 3 repeated in descriptor 1"},
      {patched(0, 2), "ACE signature 0x02 is not 1"},
      {patched(20, 0x7FFFFFFF), "channel count 2147483647 outside 1-8"},
      {patched(152 + 16 + 8, 1), "unknown channel type 1 in descriptor 1"},
      {patched(152 + 48, 8), "channel type 2 with 8 bits in descriptor 3"},
      {patched(152 + 4, 1), "channel type 3 with 4294967304 bits in descriptor 0"},
      {Bytes(cut.begin(), cut.begin() + 151), "truncated ACE header"},
      {Bytes(cut.begin(), cut.end() - 1), "truncated channel descriptors"},
  };
  for (const auto& c : cases) {
    texconv::AceLayout layout;
    std::string reason;
    EXPECT_FALSE(texconv::ReadAceLayout(c.data, layout, reason)) << c.reason;
    EXPECT_EQ(reason, c.reason);
  }
}

// ---- DXT1 ----------------------------------------------------------------------------

struct BlockCase {
  const char* what;
  const char* block;
  bool transparent_black;
  uint32_t texel0, texel1, texel2, texel3;  // indices 0, 1, 2, 3 in the first row
};

TEST(Dxt1Block, DecodesPalettesAndIndices) {
  // Row 0 of every block uses indices 0, 1, 2, 3 (index byte 0xE4: 11 10 01 00).
  const BlockCase cases[] = {
      {"four colours: red over blue", "00 f8 1f 00 e4 00 00 00", false, 0xFF0000FF, 0x0000FFFF,
       0xAA0055FF, 0x5500AAFF},
      {"three colours, mask", "1f 00 00 f8 e4 00 00 00", true, 0x0000FFFF, 0xFF0000FF, 0x7F007FFF,
       0x00000000},
      {"three colours, no mask", "1f 00 00 f8 e4 00 00 00", false, 0x0000FFFF, 0xFF0000FF,
       0x7F007FFF, 0x000000FF},
      {"equal colours are three-colour mode", "10 84 10 84 e4 00 00 00", true, 0x848284FF,
       0x848284FF, 0x848284FF, 0x00000000},
      {"green expands six bits", "e0 07 00 00 e4 00 00 00", false, 0x00FF00FF, 0x000000FF,
       0x00AA00FF, 0x005500FF},
  };
  for (const BlockCase& c : cases) {
    Bytes block = HexBytes(c.block);
    uint8_t texels[64];
    texconv::DecodeDxt1Block(block.data(), c.transparent_black, texels);
    RgbaImage view{4, 4, Bytes(texels, texels + 64)};
    EXPECT_EQ(PixelAt(view, 0, 0), c.texel0) << c.what;
    EXPECT_EQ(PixelAt(view, 1, 0), c.texel1) << c.what;
    EXPECT_EQ(PixelAt(view, 2, 0), c.texel2) << c.what;
    EXPECT_EQ(PixelAt(view, 3, 0), c.texel3) << c.what;
    EXPECT_EQ(PixelAt(view, 0, 1), c.texel0) << c.what << ": index byte 1 is zero";
  }
}

TEST(Dxt1Block, IndexBytesRunTopRowFirstLowBitsLeft) {
  // Index byte y holds row y: row 3 gets index 1 at x = 0 (bits 0-1 of byte 3).
  Bytes block = HexBytes("00 f8 1f 00 00 00 00 01");
  uint8_t texels[64];
  texconv::DecodeDxt1Block(block.data(), false, texels);
  RgbaImage view{4, 4, Bytes(texels, texels + 64)};
  EXPECT_EQ(PixelAt(view, 0, 3), 0x0000FFFFu);
  EXPECT_EQ(PixelAt(view, 1, 3), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(view, 0, 0), 0xFF0000FFu);
}

Bytes MakeDxt1Data(uint32_t width, uint32_t height, const std::vector<AceChannel>& channels,
                   const std::vector<std::string>& blocks) {
  Bytes data = AceData(texconv::kAceFlagRawData, width, height, 0x12, channels, 1, "");
  AppendU32(data, uint32_t(blocks.size() * 8));
  for (const std::string& block : blocks) {
    Bytes bytes = HexBytes(block);
    data.insert(data.end(), bytes.begin(), bytes.end());
  }
  return data;
}

TEST(Dxt1Decode, BlocksGoLeftToRightThenDown) {
  // 8 x 4: a red block and a blue block, all texels index 0.
  Bytes data = MakeDxt1Data(8, 4, kRgb, {"00 f8 00 00 00 00 00 00", "1f 00 00 00 00 00 00 00"});
  Decoded d = DecodeData(data);
  ASSERT_TRUE(d.ok) << d.reason;
  EXPECT_EQ(PixelAt(d.image, 3, 3), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(d.image, 4, 0), 0x0000FFFFu);
  // 4 x 8: the second block is below the first.
  data = MakeDxt1Data(4, 8, kRgb, {"00 f8 00 00 00 00 00 00", "1f 00 00 00 00 00 00 00"});
  d = DecodeData(data);
  ASSERT_TRUE(d.ok) << d.reason;
  EXPECT_EQ(PixelAt(d.image, 3, 3), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(d.image, 0, 4), 0x0000FFFFu);
}

TEST(Dxt1Decode, MaskDescriptorMakesBlackTransparent) {
  const char* block = "00 00 1f 00 ff ff ff ff";  // c0 < c1, every texel index 3
  Decoded with_mask = DecodeData(MakeDxt1Data(4, 4, kRgbMask, {block}));
  Decoded without = DecodeData(MakeDxt1Data(4, 4, kRgb, {block}));
  ASSERT_TRUE(with_mask.ok && without.ok);
  EXPECT_EQ(PixelAt(with_mask.image, 2, 2), 0x00000000u);
  EXPECT_EQ(PixelAt(without.image, 2, 2), 0x000000FFu);
}

TEST(Dxt1Decode, MipmappedFileWithWrongTableDecodesSequentially) {
  RgbaImage image = MakeTestImage(16, 16, true);
  texconv::AceWriteOptions options;
  options.mipmaps = true;
  options.dxt1 = true;
  options.channels = kRgbMask;
  Bytes data = texconv::EncodeAceData(image, options);
  texconv::AceLayout layout;
  std::string reason;
  ASSERT_TRUE(texconv::ReadAceLayout(data, layout, reason));
  EXPECT_EQ(layout.data_end, data.size());
  // The last level's entry 2 bytes off, as some tools write it.
  size_t last_entry = layout.table_offset + 4 * (layout.level_count - 1);
  data[last_entry] = uint8_t(data[last_entry] + 2);
  Decoded d = DecodeData(data);
  ASSERT_TRUE(d.ok) << d.reason;
  // Index 3 of a 3-colour block becomes transparent black; opaque texels stay opaque.
  for (uint32_t y = 0; y < 16; ++y) {
    for (uint32_t x = 0; x < 16; ++x) {
      uint32_t source_alpha = PixelAt(image, x, y) & 0xFF;
      uint32_t alpha = PixelAt(d.image, x, y) & 0xFF;
      EXPECT_EQ(alpha, source_alpha >= 128 ? 255u : 0u) << x << "," << y;
    }
  }
}

// ---- the SIMIS wrapper ---------------------------------------------------------------

TEST(AceWrapper, CompressedFileDecodesLikeThePlainOne) {
  Bytes data = texconv::EncodeAceData(MakeTestImage(9, 7, true), {.mipmaps = false,
                                                                  .dxt1 = false,
                                                                  .compress = false,
                                                                  .channels = kRgbMaskAlpha,
                                                                  .surface_format = 0x11,
                                                                  .extra_flags = 0,
                                                                  .trailing_bytes = 0});
  Decoded plain = DecodeFile(WrapPlain(data));
  Decoded compressed = DecodeFile(WrapCompressed(data, uint32_t(data.size())));
  ASSERT_TRUE(plain.ok) << plain.reason;
  ASSERT_TRUE(compressed.ok) << compressed.reason;
  EXPECT_EQ(plain.image.pixels, compressed.image.pixels);
  EXPECT_EQ(plain.image.pixels, MakeTestImage(9, 7, true).pixels);
}

TEST(AceWrapper, TrailingBytesAreIgnored) {
  Bytes data = WorkedExampleAce();
  data.erase(data.begin(), data.begin() + 16);
  data.resize(data.size() + 1472, 0x33);
  EXPECT_TRUE(DecodeFile(WrapPlain(data)).ok);
  Decoded d = DecodeFile(WrapCompressed(data, uint32_t(data.size())));
  ASSERT_TRUE(d.ok) << d.reason;
  EXPECT_EQ(PixelAt(d.image, 1, 1), 0x808080FFu);
}

TEST(AceWrapper, RefusesFaultyWrappers) {
  Bytes data = WorkedExampleAce();
  data.erase(data.begin(), data.begin() + 16);
  uint32_t size = uint32_t(data.size());
  Bytes longer = data;
  longer.resize(size + 100, 0);
  Bytes bad_stream = WrapCompressed(data, size);
  bad_stream[20] ^= 0xFF;
  Bytes no_at = WrapCompressed(data, size);
  no_at[13] = 'X';
  Bytes short_data(data.begin(), data.end() - 1);
  Bytes cut_stream = WrapCompressed(data, size);
  cut_stream.resize(cut_stream.size() - 6);
  Bytes cut_checksum = WrapCompressed(data, size);
  cut_checksum.resize(cut_checksum.size() - 2);
  Bytes text = HexBytes("ff fe 53 00 49 00 4d 00 49 00 53 00 41 00 40 00 40 00");
  struct Case {
    const char* what;
    Bytes file;
    std::string reason;
  };
  const Case cases[] = {
      {"stream longer than its size field", WrapCompressed(longer, size),
       "zlib data longer than its size field 238"},
      {"stream shorter than its size field", WrapCompressed(data, size + 5),
       "zlib data ends after 238 of 243 bytes"},
      {"size field beyond image and trailing allowance",
       WrapCompressed(data, size + (1u << 20) + 1),
       "size field 1048815 exceeds the image data (238 bytes) by more than 1048576"},
      {"size field below the stream", WrapCompressed(data, size - 1),
       "zlib data longer than its size field 237"},
      {"stream and size field below the image", WrapCompressed(short_data, size - 1),
       "truncated row 1"},
      {"cut stream", cut_stream, "zlib data cut off after "},
      {"cut checksum", cut_checksum, "zlib data cut off after 238 bytes"},
      {"corrupt stream", bad_stream, ""},
      {"no @@@@", no_at, "compressed SIMIS header without @@@@"},
      {"text file", text, "a SIMIS text file, not a texture"},
      {"short", HexBytes("53 49 4d 49 53"), "not a SIMIS file (shorter than its signature)"},
      {"other signature", HexBytes("53 49 4d 49 53 41 40 40 40 40 40 40 40 40 40 41 01 00 00 00"),
       "not a SIMIS file"},
  };
  for (const Case& c : cases) {
    Decoded d = DecodeFile(c.file);
    EXPECT_FALSE(d.ok) << c.what;
    if (!c.reason.empty()) {
      // A reason that ends in a blank is a prefix (the count after it depends on zlib).
      if (c.reason.back() == ' ') {
        EXPECT_EQ(d.reason.rfind(c.reason, 0), 0u) << c.what << ": " << d.reason;
      } else {
        EXPECT_EQ(d.reason, c.reason) << c.what;
      }
    } else {
      EXPECT_FALSE(d.reason.empty()) << c.what;
    }
  }
}

TEST(AceWrapper, PresetDictionaryIsRefused) {
  // zlib header 78 bb: FDICT set, followed by a dictionary id.
  Bytes file = HexBytes("53 49 4d 49 53 41 40 46 ee 00 00 00 40 40 40 40 78 bb 00 00 00 01 03 00");
  Decoded d = DecodeFile(file);
  EXPECT_FALSE(d.ok);
  EXPECT_EQ(d.reason, "zlib stream needs a preset dictionary");
}

TEST(AceWrapper, BombIsStoppedAtTheSizeTheHeaderImplies) {
  // A 2 x 2 header followed by 8 MiB of zeros in the stream: refused without inflating them.
  Bytes data = MakeAceHeader(0, 2, 2, 0x0E, kRgb);
  data.resize(data.size() + (8u << 20), 0);
  Decoded d = DecodeFile(WrapCompressed(data, uint32_t(data.size())));
  EXPECT_FALSE(d.ok);
  EXPECT_EQ(d.reason.rfind("size field 8388808 exceeds the image data (220 bytes)", 0), 0u)
      << d.reason;
  // The same stream under a size field that the header allows.
  d = DecodeFile(WrapCompressed(data, 256));
  EXPECT_FALSE(d.ok);
  EXPECT_EQ(d.reason, "zlib data longer than its size field 256");
}

// ---- every truncation ----------------------------------------------------------------

TEST(Truncation, EveryPrefixOfValidFilesIsRefused) {
  std::vector<Bytes> files = {WorkedExampleAce()};
  texconv::AceWriteOptions planar;
  planar.mipmaps = true;
  planar.channels = kRgbMaskAlpha;
  files.push_back(texconv::EncodeAceFile(MakeTestImage(8, 8, true), planar));
  planar.compress = true;
  files.push_back(texconv::EncodeAceFile(MakeTestImage(8, 8, true), planar));
  texconv::AceWriteOptions dxt;
  dxt.mipmaps = true;
  dxt.dxt1 = true;
  dxt.channels = kRgbMask;
  files.push_back(texconv::EncodeAceFile(MakeTestImage(8, 8, true), dxt));
  dxt.compress = true;
  files.push_back(texconv::EncodeAceFile(MakeTestImage(8, 8, true), dxt));
  for (size_t f = 0; f < files.size(); ++f) {
    ASSERT_TRUE(DecodeFile(files[f]).ok) << "file " << f;
    for (size_t length = 0; length < files[f].size(); ++length) {
      Decoded d = DecodeFile(Bytes(files[f].begin(), files[f].begin() + long(length)));
      EXPECT_FALSE(d.ok) << "file " << f << " cut at " << length;
      EXPECT_FALSE(d.reason.empty()) << "file " << f << " cut at " << length;
    }
  }
}

}  // namespace
