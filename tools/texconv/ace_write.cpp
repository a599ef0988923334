// ACE encoding: planar rows, a simple bounding-box DXT1 block encoder, the SIMIS wrapper.
#include "tools/texconv/ace_write.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace texconv {
namespace {

void AppendU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

void AppendU64(std::vector<uint8_t>& out, uint64_t value) {
  AppendU32(out, uint32_t(value));
  AppendU32(out, uint32_t(value >> 32));
}

void PutU32(std::vector<uint8_t>& out, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[offset + i] = uint8_t(value >> (8 * i));
}

uint16_t PackRgb565(const uint8_t* rgb) {
  return uint16_t((rgb[0] >> 3) << 11 | (rgb[1] >> 2) << 5 | (rgb[2] >> 3));
}

uint32_t ColourDistance(const uint8_t* a, const uint8_t* b) {
  uint32_t d = 0;
  for (int i = 0; i < 3; ++i) d += uint32_t((a[i] - b[i]) * (a[i] - b[i]));
  return d;
}

int ChannelByte(AceChannel channel) {
  switch (channel) {
    case AceChannel::kRed:
      return 0;
    case AceChannel::kGreen:
      return 1;
    case AceChannel::kBlue:
      return 2;
    default:
      return 3;
  }
}

void AppendPlanarRows(const RgbaImage& level, const std::vector<AceChannel>& channels,
                      std::vector<uint8_t>& out) {
  for (uint32_t y = 0; y < level.height; ++y) {
    const uint8_t* row = level.pixels.data() + size_t(y) * level.width * 4;
    for (AceChannel channel : channels) {
      if (channel == AceChannel::kMask) {
        for (uint32_t x = 0; x < level.width; x += 8) {
          uint8_t bits = 0;
          for (uint32_t i = 0; i < 8 && x + i < level.width; ++i) {
            if (row[4 * (x + i) + 3] >= 128) bits |= uint8_t(0x80 >> i);
          }
          out.push_back(bits);
        }
      } else {
        for (uint32_t x = 0; x < level.width; ++x) out.push_back(row[4 * x + ChannelByte(channel)]);
      }
    }
  }
}

void AppendDxt1Record(const RgbaImage& level, bool transparent_mode, std::vector<uint8_t>& out) {
  AppendU32(out, (level.width / 4) * (level.height / 4) * 8);
  uint8_t texels[64];
  uint8_t block[8];
  for (uint32_t by = 0; by < level.height / 4; ++by) {
    for (uint32_t bx = 0; bx < level.width / 4; ++bx) {
      for (uint32_t row = 0; row < 4; ++row) {
        std::memcpy(texels + 16 * row,
                    level.pixels.data() + ((size_t(by) * 4 + row) * level.width + bx * 4) * 4, 16);
      }
      EncodeDxt1Block(texels, transparent_mode, block);
      out.insert(out.end(), block, block + 8);
    }
  }
}

}  // namespace

std::vector<AceChannel> MakeRgbChannels() {
  return {AceChannel::kRed, AceChannel::kGreen, AceChannel::kBlue};
}

RgbaImage HalveImage(const RgbaImage& image) {
  RgbaImage half;
  half.width = std::max<uint32_t>(1, image.width / 2);
  half.height = std::max<uint32_t>(1, image.height / 2);
  half.pixels.resize(size_t(half.width) * half.height * 4);
  for (uint32_t y = 0; y < half.height; ++y) {
    for (uint32_t x = 0; x < half.width; ++x) {
      uint32_t x0 = std::min(2 * x, image.width - 1), x1 = std::min(2 * x + 1, image.width - 1);
      uint32_t y0 = std::min(2 * y, image.height - 1), y1 = std::min(2 * y + 1, image.height - 1);
      for (int c = 0; c < 4; ++c) {
        auto at = [&](uint32_t px, uint32_t py) {
          return uint32_t(image.pixels[(size_t(py) * image.width + px) * 4 + c]);
        };
        uint32_t sum = at(x0, y0) + at(x1, y0) + at(x0, y1) + at(x1, y1);
        half.pixels[(size_t(y) * half.width + x) * 4 + c] = uint8_t((sum + 2) / 4);
      }
    }
  }
  return half;
}

void EncodeDxt1Block(const uint8_t* texels, bool transparent_mode, uint8_t* block) {
  bool any_transparent = false;
  uint8_t low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
  for (int t = 0; t < 16; ++t) {
    const uint8_t* texel = texels + 4 * t;
    if (transparent_mode && texel[3] < 128) {
      any_transparent = true;
      continue;
    }
    for (int i = 0; i < 3; ++i) {
      low[i] = std::min(low[i], texel[i]);
      high[i] = std::max(high[i], texel[i]);
    }
  }
  uint16_t c_high = PackRgb565(high), c_low = PackRgb565(low);
  if (c_high < c_low) std::swap(c_high, c_low);
  // Four colours want c0 > c1; the transparent mode wants c0 <= c1.
  uint16_t c0 = any_transparent ? c_low : c_high;
  uint16_t c1 = any_transparent ? c_high : c_low;
  block[0] = uint8_t(c0);
  block[1] = uint8_t(c0 >> 8);
  block[2] = uint8_t(c1);
  block[3] = uint8_t(c1 >> 8);
  // The decoder tells the palette: texel i of a block with indices 0,1,2,3 is entry i.
  std::memset(block + 4, 0xE4, 4);
  uint8_t palette[64];
  DecodeDxt1Block(block, true, palette);
  int usable = c0 > c1 ? 4 : 3;
  uint32_t indices = 0;
  for (int t = 0; t < 16; ++t) {
    const uint8_t* texel = texels + 4 * t;
    uint32_t best = 0;
    if (any_transparent && texel[3] < 128) {
      best = 3;
    } else {
      for (int p = 1; p < usable; ++p) {
        if (ColourDistance(texel, palette + 4 * p) < ColourDistance(texel, palette + 4 * best)) {
          best = uint32_t(p);
        }
      }
    }
    indices |= best << (2 * t);
  }
  for (int i = 0; i < 4; ++i) block[4 + i] = uint8_t(indices >> (8 * i));
}

std::vector<uint8_t> EncodeAceData(const RgbaImage& image, const AceWriteOptions& options) {
  uint32_t flags = options.extra_flags | (options.mipmaps ? kAceFlagMipmaps : 0) |
                   (options.dxt1 ? kAceFlagRawData : 0);
  uint32_t level_count =
      options.mipmaps ? uint32_t(std::bit_width(std::max(image.width, image.height))) : 1;
  std::vector<RgbaImage> levels = {image};
  while (levels.size() < level_count) levels.push_back(HalveImage(levels.back()));

  std::vector<uint8_t> out;
  AppendU32(out, 1);
  AppendU32(out, flags);
  AppendU32(out, image.width);
  AppendU32(out, image.height);
  AppendU32(out, options.dxt1 ? kAceSurfaceDxt1 : options.surface_format);
  AppendU32(out, uint32_t(options.channels.size()));
  AppendU32(out, 0);
  const char kText1[16] = "Unknown";
  out.insert(out.end(), kText1, kText1 + 16);
  out.resize(kAceHeaderSize, 0);
  for (AceChannel channel : options.channels) {
    AppendU64(out, channel == AceChannel::kMask ? 1 : 8);
    AppendU64(out, uint64_t(channel));
  }

  size_t table_entries = 0;
  for (const RgbaImage& level : levels) table_entries += options.dxt1 ? 1 : level.height;
  size_t table = out.size();
  out.resize(table + 4 * table_entries, 0);
  bool transparent_mode = std::find(options.channels.begin(), options.channels.end(),
                                    AceChannel::kMask) != options.channels.end();
  size_t entry = 0;
  for (const RgbaImage& level : levels) {
    if (options.dxt1) {
      PutU32(out, table + 4 * entry++, uint32_t(out.size()));
      if (level.width >= 4 && level.height >= 4) {
        AppendDxt1Record(level, transparent_mode, out);
      } else {
        AppendPlanarRows(level, options.channels, out);
      }
      continue;
    }
    size_t row_start = out.size();
    AppendPlanarRows(level, options.channels, out);
    size_t row_length = (out.size() - row_start) / level.height;
    for (uint32_t y = 0; y < level.height; ++y) {
      PutU32(out, table + 4 * entry++, uint32_t(row_start + y * row_length));
    }
  }
  out.insert(out.end(), options.trailing_bytes, 0xA5);
  return out;
}

std::vector<uint8_t> WrapAceData(const std::vector<uint8_t>& ace_data, bool compress) {
  std::vector<uint8_t> file;
  if (!compress) {
    // One allocation and two copies (GCC 12 misjudges the bounds of a vector insert here).
    file.resize(16 + ace_data.size());
    std::memcpy(file.data(), "SIMISA@@@@@@@@@@", 16);
    if (!ace_data.empty()) std::memcpy(file.data() + 16, ace_data.data(), ace_data.size());
    return file;
  }
  const char kSignature[] = "SIMISA@F";
  file.assign(kSignature, kSignature + 8);
  AppendU32(file, uint32_t(ace_data.size()));
  file.insert(file.end(), {'@', '@', '@', '@'});
  uLongf packed_size = compressBound(uLong(ace_data.size()));
  file.resize(16 + packed_size);
  if (compress2(file.data() + 16, &packed_size, ace_data.data(), uLong(ace_data.size()),
                Z_DEFAULT_COMPRESSION) != Z_OK) {
    throw std::runtime_error("zlib compression failed");
  }
  file.resize(16 + packed_size);
  return file;
}

std::vector<uint8_t> EncodeAceFile(const RgbaImage& image, const AceWriteOptions& options) {
  return WrapAceData(EncodeAceData(image, options), options.compress);
}

}  // namespace texconv
