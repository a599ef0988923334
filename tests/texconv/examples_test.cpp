// The example vehicle's textures decode, each in the storage form it is meant to show.
#include <gtest/gtest.h>

#include "tests/texconv/texconv_test_support.h"
#include "tools/texconv/ace.h"

namespace {

using namespace texconv_test;

struct Example {
  const char* name;
  uint32_t flags;  // expected header flags
  bool compressed;
  uint32_t channel_count;
  uint32_t side;
};

uint32_t CountAlpha(const texconv::RgbaImage& image, bool (*test)(uint8_t)) {
  uint32_t count = 0;
  for (size_t i = 3; i < image.pixels.size(); i += 4) count += test(image.pixels[i]) ? 1 : 0;
  return count;
}

TEST(ExampleTextures, DecodeInTheirStorageForms) {
  const Example examples[] = {
      {"loco_body.ace", 0x01, false, 3, 128},
      {"loco_bogie.ace", 0x11, false, 4, 64},
      {"loco_cab.ace", 0x01, true, 5, 128},
  };
  for (const Example& e : examples) {
    Bytes file = ReadFile(std::string(TEXCONV_EXAMPLES_DIR) + "/" + e.name);
    EXPECT_EQ(file[7], e.compressed ? 'F' : '@') << e.name;
    std::vector<uint8_t> data;
    std::string reason;
    ASSERT_TRUE(texconv::UnwrapAceFile(file, data, reason)) << e.name << ": " << reason;
    texconv::AceLayout layout;
    ASSERT_TRUE(texconv::ReadAceLayout(data, layout, reason)) << e.name << ": " << reason;
    EXPECT_EQ(layout.flags, e.flags) << e.name;
    EXPECT_EQ(layout.channel_count, e.channel_count) << e.name;
    EXPECT_EQ(layout.data_end, data.size()) << e.name;
    texconv::RgbaImage image;
    ASSERT_TRUE(texconv::DecodeAceData(data, image, reason)) << e.name << ": " << reason;
    EXPECT_EQ(image.width, e.side);
    EXPECT_EQ(image.height, e.side);
  }
}

TEST(ExampleTextures, TransparencyIsWhereEachFormCarriesIt) {
  texconv::RgbaImage body, bogie, cab;
  std::string reason;
  std::string dir = TEXCONV_EXAMPLES_DIR;
  ASSERT_TRUE(texconv::ReadAceFile(dir + "/loco_body.ace", body, reason)) << reason;
  ASSERT_TRUE(texconv::ReadAceFile(dir + "/loco_bogie.ace", bogie, reason)) << reason;
  ASSERT_TRUE(texconv::ReadAceFile(dir + "/loco_cab.ace", cab, reason)) << reason;
  auto opaque = [](uint8_t a) { return a == 255; };
  auto clear = [](uint8_t a) { return a == 0; };
  auto partial = [](uint8_t a) { return a > 0 && a < 255; };
  EXPECT_EQ(CountAlpha(body, opaque), 128u * 128u);
  EXPECT_GT(CountAlpha(bogie, clear), 0u);
  EXPECT_EQ(CountAlpha(bogie, partial), 0u);  // DXT1: all or nothing
  EXPECT_GT(CountAlpha(cab, partial), 0u);    // the windscreen
  EXPECT_GT(CountAlpha(cab, clear), 0u);      // the cut-out corner
}

}  // namespace
