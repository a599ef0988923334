// texconv_make_textures examples DIR: writes the bundled vehicle's textures loco_body.ace,
// loco_bogie.ace and loco_cab.ace, drawn here (no third-party artwork).
// texconv_make_textures seeds DIR: writes small ACE files of every storage form for the fuzzer.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/texconv/ace_write.h"

namespace {

using texconv::AceChannel;
using texconv::AceWriteOptions;
using texconv::RgbaImage;

struct Colour {
  uint8_t r, g, b, a;
};

RgbaImage MakeImage(uint32_t width, uint32_t height, Colour fill) {
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.pixels.resize(size_t(width) * height * 4);
  for (size_t i = 0; i < size_t(width) * height; ++i) {
    image.pixels[4 * i] = fill.r;
    image.pixels[4 * i + 1] = fill.g;
    image.pixels[4 * i + 2] = fill.b;
    image.pixels[4 * i + 3] = fill.a;
  }
  return image;
}

void PutPixel(RgbaImage& image, int x, int y, Colour colour) {
  if (x < 0 || y < 0 || x >= int(image.width) || y >= int(image.height)) return;
  uint8_t* p = image.pixels.data() + (size_t(y) * image.width + size_t(x)) * 4;
  p[0] = colour.r;
  p[1] = colour.g;
  p[2] = colour.b;
  p[3] = colour.a;
}

void FillRect(RgbaImage& image, int x0, int y0, int x1, int y1, Colour colour) {
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) PutPixel(image, x, y, colour);
  }
}

void FillRing(RgbaImage& image, int cx, int cy, int inner, int outer, Colour colour) {
  for (int y = cy - outer; y <= cy + outer; ++y) {
    for (int x = cx - outer; x <= cx + outer; ++x) {
      int d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
      if (d <= outer * outer && d >= inner * inner) PutPixel(image, x, y, colour);
    }
  }
}

// Digits in a 3 x 5 font, so that the pictures show which way is up and which is left.
void DrawDigit(RgbaImage& image, int digit, int x0, int y0, int scale, Colour colour) {
  static const char* kFont[10] = {"111101101101111", "010110010010111", "111001111100111",
                                  "111001111001111", "101101111001001", "111100111001111",
                                  "111100111101111", "111001001001001", "111101111101111",
                                  "111101111001111"};
  for (int row = 0; row < 5; ++row) {
    for (int col = 0; col < 3; ++col) {
      if (kFont[digit][row * 3 + col] == '1') {
        FillRect(image, x0 + col * scale, y0 + row * scale, x0 + (col + 1) * scale,
                 y0 + (row + 1) * scale, colour);
      }
    }
  }
}

// A little deterministic grain, as paint and dirt give to real textures.
void AddGrain(RgbaImage& image, int amplitude) {
  uint32_t state = 12345;
  for (size_t i = 0; i < image.pixels.size(); i += 4) {
    state = state * 1103515245u + 12345u;
    int delta = int((state >> 16) % uint32_t(2 * amplitude + 1)) - amplitude;
    for (int c = 0; c < 3; ++c) {
      int value = image.pixels[i + c] + delta;
      image.pixels[i + c] = uint8_t(value < 0 ? 0 : value > 255 ? 255 : value);
    }
  }
}

RgbaImage DrawBody() {
  RgbaImage image = MakeImage(128, 128, {150, 28, 30, 255});
  FillRect(image, 0, 0, 128, 18, {110, 110, 115, 255});  // roof
  FillRect(image, 0, 18, 128, 20, {40, 40, 40, 255});    // gutter
  for (int x = 8; x < 120; x += 28) FillRect(image, x, 26, x + 20, 46, {45, 60, 80, 255});
  FillRect(image, 0, 70, 128, 78, {230, 190, 40, 255});  // yellow stripe
  for (int x = 0; x < 128; x += 32) FillRect(image, x, 20, x + 1, 110, {90, 15, 18, 255});
  FillRect(image, 0, 110, 128, 128, {35, 35, 38, 255});  // underframe
  int digits[4] = {1, 2, 3, 4};
  for (int i = 0; i < 4; ++i) DrawDigit(image, digits[i], 34 + i * 16, 84, 4, {245, 245, 240, 255});
  AddGrain(image, 6);
  return image;
}

RgbaImage DrawBogie() {
  RgbaImage image = MakeImage(64, 64, {0, 0, 0, 0});
  FillRect(image, 4, 20, 60, 36, {60, 62, 66, 255});   // side frame
  FillRect(image, 26, 14, 38, 20, {80, 80, 84, 255});  // bolster
  FillRing(image, 16, 40, 0, 11, {30, 30, 30, 255});   // wheels
  FillRing(image, 48, 40, 0, 11, {30, 30, 30, 255});
  FillRing(image, 16, 40, 9, 11, {170, 170, 175, 255});  // polished tyres
  FillRing(image, 48, 40, 9, 11, {170, 170, 175, 255});
  DrawDigit(image, 7, 29, 22, 2, {220, 200, 60, 255});
  AddGrain(image, 4);
  return image;
}

RgbaImage DrawCab() {
  RgbaImage image = MakeImage(128, 128, {70, 85, 70, 255});
  FillRect(image, 0, 0, 128, 56, {150, 190, 220, 96});  // windscreen, seen through
  FillRect(image, 62, 0, 66, 56, {40, 40, 40, 255});    // centre pillar
  FillRect(image, 0, 56, 128, 60, {30, 30, 30, 255});
  for (int i = 0; i < 3; ++i) {
    FillRing(image, 24 + i * 40, 84, 0, 14, {235, 235, 225, 255});  // gauges
    FillRing(image, 24 + i * 40, 84, 12, 14, {20, 20, 20, 255});
    DrawDigit(image, 5 + i, 22 + i * 40, 78, 2, {20, 20, 20, 255});
  }
  FillRect(image, 112, 112, 128, 128, {0, 0, 0, 0});  // cut-out corner
  AddGrain(image, 3);
  return image;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fclose(file) == 0 && ok;
  if (!ok) std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return ok;
}

const std::vector<AceChannel> kRgb = {AceChannel::kRed, AceChannel::kGreen, AceChannel::kBlue};
const std::vector<AceChannel> kRgbMask = {AceChannel::kRed, AceChannel::kGreen, AceChannel::kBlue,
                                          AceChannel::kMask};
const std::vector<AceChannel> kRgbMaskAlpha = {
    AceChannel::kRed, AceChannel::kGreen, AceChannel::kBlue, AceChannel::kMask, AceChannel::kAlpha};

bool WriteExamples(const std::string& folder) {
  AceWriteOptions body;
  body.mipmaps = true;
  body.channels = kRgb;
  body.surface_format = 0x0E;
  AceWriteOptions bogie;
  bogie.mipmaps = true;
  bogie.dxt1 = true;
  bogie.channels = kRgbMask;
  AceWriteOptions cab;
  cab.mipmaps = true;
  cab.compress = true;
  cab.channels = kRgbMaskAlpha;
  cab.surface_format = 0x11;
  return WriteBytes(folder + "/loco_body.ace", texconv::EncodeAceFile(DrawBody(), body)) &&
         WriteBytes(folder + "/loco_bogie.ace", texconv::EncodeAceFile(DrawBogie(), bogie)) &&
         WriteBytes(folder + "/loco_cab.ace", texconv::EncodeAceFile(DrawCab(), cab));
}

RgbaImage DrawSeed(uint32_t width, uint32_t height) {
  RgbaImage image = MakeImage(width, height, {200, 40, 40, 255});
  FillRect(image, 0, 0, int(width) / 2, int(height) / 2, {20, 180, 60, 0});
  FillRect(image, int(width) / 2, int(height) / 2, int(width), int(height), {30, 30, 220, 160});
  return image;
}

bool WriteSeeds(const std::string& folder) {
  struct Seed {
    const char* name;
    uint32_t width, height;
    bool mipmaps, dxt1, compress;
    std::vector<AceChannel> channels;
    uint32_t surface;
  };
  const Seed seeds[] = {
      {"planar_rgb.ace", 8, 8, false, false, false, kRgb, 0x0E},
      {"planar_rgb_mips.ace", 8, 8, true, false, false, kRgb, 0x0E},
      {"planar_mask.ace", 5, 3, false, false, false, kRgbMask, 0x10},
      {"planar_alpha_mips_zlib.ace", 8, 8, true, false, true, kRgbMaskAlpha, 0x11},
      {"dxt1_mips.ace", 8, 8, true, true, false, kRgb, 0x12},
      {"dxt1_mask_mips_zlib.ace", 8, 8, true, true, true, kRgbMask, 0x12},
      {"dxt1_tiny.ace", 2, 2, false, true, false, kRgbMask, 0x12},
  };
  for (const Seed& seed : seeds) {
    AceWriteOptions options;
    options.mipmaps = seed.mipmaps;
    options.dxt1 = seed.dxt1;
    options.compress = seed.compress;
    options.channels = seed.channels;
    options.surface_format = seed.surface;
    if (!WriteBytes(folder + "/" + seed.name,
                    texconv::EncodeAceFile(DrawSeed(seed.width, seed.height), options))) {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: texconv_make_textures examples|seeds DIR\n", stderr);
    return 2;
  }
  std::string what = argv[1];
  if (what == "examples") return WriteExamples(argv[2]) ? 0 : 1;
  if (what == "seeds") return WriteSeeds(argv[2]) ? 0 : 1;
  std::fputs("usage: texconv_make_textures examples|seeds DIR\n", stderr);
  return 2;
}
