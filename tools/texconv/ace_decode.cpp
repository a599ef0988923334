// ACE header checks, size computation and the planar and DXT1 decoders.
#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "tools/texconv/ace.h"

namespace texconv {
namespace {

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint64_t ReadU64(const uint8_t* p) { return uint64_t(ReadU32(p)) | uint64_t(ReadU32(p + 4)) << 32; }

std::string FormatHex(uint64_t value) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 15]);
    value >>= 4;
  } while (value != 0);
  if (text.size() < 2) text.insert(text.begin(), '0');
  return "0x" + text;
}

uint32_t LevelSide(uint32_t side, uint32_t level) { return std::max<uint32_t>(1, side >> level); }

// Bytes of one planar row of width w: one byte per pixel for each 8-bit plane, one bit per
// pixel (rounded up to whole bytes) for the mask plane.
uint64_t ComputeRowLength(const AceLayout& layout, uint32_t w) {
  uint64_t length = 0;
  for (uint32_t c = 0; c < layout.channel_count; ++c) {
    length += layout.channels[c] == AceChannel::kMask ? (uint64_t(w) + 7) / 8 : w;
  }
  return length;
}

bool IsBlockCoded(uint32_t w, uint32_t h) { return w >= 4 && h >= 4; }

// Bytes of level `level` in the file, after the offset table.
uint64_t ComputeLevelSize(const AceLayout& layout, uint32_t level) {
  uint32_t w = LevelSide(layout.width, level);
  uint32_t h = LevelSide(layout.height, level);
  if ((layout.flags & kAceFlagRawData) != 0 && IsBlockCoded(w, h)) {
    return 4 + uint64_t(w / 4) * (h / 4) * 8;
  }
  return uint64_t(h) * ComputeRowLength(layout, w);
}

bool ReadAceDescriptors(const uint8_t* descriptors, AceLayout& layout, std::string& reason) {
  bool seen[8] = {};
  for (uint32_t c = 0; c < layout.channel_count; ++c) {
    uint64_t bits = ReadU64(descriptors + 16 * c);
    uint64_t type = ReadU64(descriptors + 16 * c + 8);
    if (type < 2 || type > 6) {
      reason =
          "unknown channel type " + std::to_string(type) + " in descriptor " + std::to_string(c);
      return false;
    }
    uint64_t expected_bits = type == uint64_t(AceChannel::kMask) ? 1 : 8;
    if (bits != expected_bits) {
      reason = "channel type " + std::to_string(type) + " with " + std::to_string(bits) +
               " bits in descriptor " + std::to_string(c);
      return false;
    }
    if (seen[type]) {
      reason =
          "channel type " + std::to_string(type) + " repeated in descriptor " + std::to_string(c);
      return false;
    }
    seen[type] = true;
    layout.channels[c] = AceChannel(type);
  }
  layout.has_mask = seen[uint32_t(AceChannel::kMask)];
  layout.has_alpha = seen[uint32_t(AceChannel::kAlpha)];
  return true;
}

bool HasColourPlanes(const AceLayout& layout) {
  bool red = false, green = false, blue = false;
  for (uint32_t c = 0; c < layout.channel_count; ++c) {
    red |= layout.channels[c] == AceChannel::kRed;
    green |= layout.channels[c] == AceChannel::kGreen;
    blue |= layout.channels[c] == AceChannel::kBlue;
  }
  return red && green && blue;
}

bool CheckAceFormat(AceLayout& layout, std::string& reason) {
  uint32_t known = kAceFlagMipmaps | kAceFlagIgnored | kAceFlagRawData;
  if ((layout.flags & ~known) != 0) {
    reason = "unsupported flags " + FormatHex(layout.flags);
    return false;
  }
  if ((layout.flags & kAceFlagRawData) != 0) {
    if (layout.surface_format != kAceSurfaceDxt1) {
      reason = "unsupported surface format " + FormatHex(layout.surface_format);
      return false;
    }
    if (IsBlockCoded(layout.width, layout.height) &&
        (layout.width % 4 != 0 || layout.height % 4 != 0)) {
      reason = "DXT1 size " + std::to_string(layout.width) + "x" + std::to_string(layout.height) +
               " is not a multiple of 4";
      return false;
    }
  }
  // Planar level 0 (always for planar files, and the sub-4 DXT1 levels) needs all colours.
  bool planar_level0 =
      (layout.flags & kAceFlagRawData) == 0 || !IsBlockCoded(layout.width, layout.height);
  if (planar_level0 && !HasColourPlanes(layout)) {
    reason = "planar data without red, green and blue channels";
    return false;
  }
  return true;
}

void ComputeAceExtent(AceLayout& layout) {
  uint32_t side = std::max(layout.width, layout.height);
  layout.level_count = (layout.flags & kAceFlagMipmaps) != 0 ? uint32_t(std::bit_width(side)) : 1;
  uint64_t table_entries = 0;
  uint64_t data_size = 0;
  for (uint32_t level = 0; level < layout.level_count; ++level) {
    table_entries += (layout.flags & kAceFlagRawData) != 0 ? 1 : LevelSide(layout.height, level);
    data_size += ComputeLevelSize(layout, level);
  }
  layout.data_offset = layout.table_offset + 4 * table_entries;
  layout.data_end = layout.data_offset + data_size;
}

// Names where data of data_size bytes stops short of what the layout needs.
std::string DescribeTruncation(const AceLayout& layout, uint64_t data_size) {
  if (data_size < layout.data_offset) return "truncated offset table";
  uint64_t level_start = layout.data_offset;
  for (uint32_t level = 0; level < layout.level_count; ++level) {
    uint64_t level_size = ComputeLevelSize(layout, level);
    if (data_size < level_start + level_size) {
      if (level > 0) return "truncated mipmap level " + std::to_string(level);
      uint64_t present = data_size - level_start;
      if ((layout.flags & kAceFlagRawData) != 0 && IsBlockCoded(layout.width, layout.height)) {
        if (present < 4) return "truncated DXT1 byte count";
        uint64_t block_row = (present - 4) / (uint64_t(layout.width / 4) * 8);
        return "truncated DXT1 block row " + std::to_string(block_row);
      }
      return "truncated row " + std::to_string(present / ComputeRowLength(layout, layout.width));
    }
    level_start += level_size;
  }
  return "truncated data";
}

// Where each plane starts within a planar row of width w.
struct PlaneOffsets {
  uint64_t red = 0, green = 0, blue = 0, alpha = 0, mask = 0;
};

PlaneOffsets FindPlaneOffsets(const AceLayout& layout, uint32_t w) {
  PlaneOffsets offsets;
  uint64_t at = 0;
  for (uint32_t c = 0; c < layout.channel_count; ++c) {
    switch (layout.channels[c]) {
      case AceChannel::kRed:
        offsets.red = at;
        break;
      case AceChannel::kGreen:
        offsets.green = at;
        break;
      case AceChannel::kBlue:
        offsets.blue = at;
        break;
      case AceChannel::kAlpha:
        offsets.alpha = at;
        break;
      case AceChannel::kMask:
        offsets.mask = at;
        break;
    }
    at += layout.channels[c] == AceChannel::kMask ? (uint64_t(w) + 7) / 8 : w;
  }
  return offsets;
}

// One planar row (bounds already checked) into `width` pixels of out. Alpha comes from the
// alpha plane where there is one (the mask is then ignored), else from the mask (leftmost
// pixel in the most significant bit), else 255.
void DecodePlanarRow(const AceLayout& layout, const PlaneOffsets& offsets, const uint8_t* row,
                     uint32_t width, PixelOrder order, uint8_t* out) {
  const uint8_t* red = row + offsets.red;
  const uint8_t* green = row + offsets.green;
  const uint8_t* blue = row + offsets.blue;
  for (uint32_t x = 0; x < width; ++x) {
    out[4 * size_t(x) + order.red] = red[x];
    out[4 * size_t(x) + order.green] = green[x];
    out[4 * size_t(x) + order.blue] = blue[x];
  }
  if (layout.has_alpha) {
    const uint8_t* alpha = row + offsets.alpha;
    for (uint32_t x = 0; x < width; ++x) out[4 * size_t(x) + 3] = alpha[x];
  } else if (layout.has_mask) {
    const uint8_t* mask = row + offsets.mask;
    for (uint32_t x = 0; x < width; ++x) {
      bool opaque = (mask[x >> 3] >> (7 - (x & 7))) & 1;
      out[4 * size_t(x) + 3] = opaque ? 255 : 0;
    }
  } else {
    for (uint32_t x = 0; x < width; ++x) out[4 * size_t(x) + 3] = 255;
  }
}

void ExpandRgb565(uint16_t colour, uint8_t* rgba) {
  uint32_t r = colour >> 11, g = (colour >> 5) & 63, b = colour & 31;
  rgba[0] = uint8_t(r << 3 | r >> 2);
  rgba[1] = uint8_t(g << 2 | g >> 4);
  rgba[2] = uint8_t(b << 3 | b >> 2);
  rgba[3] = 255;
}

// The four colours of a DXT1 block as pixels in `order`.
void BuildDxt1Palette(const uint8_t* block, bool transparent_black, PixelOrder order,
                      uint8_t palette[4][4]) {
  uint16_t c0 = uint16_t(block[0] | block[1] << 8);
  uint16_t c1 = uint16_t(block[2] | block[3] << 8);
  uint8_t rgba[4][4];
  ExpandRgb565(c0, rgba[0]);
  ExpandRgb565(c1, rgba[1]);
  for (int i = 0; i < 3; ++i) {
    uint32_t p0 = rgba[0][i], p1 = rgba[1][i];
    if (c0 > c1) {
      rgba[2][i] = uint8_t((2 * p0 + p1) / 3);
      rgba[3][i] = uint8_t((p0 + 2 * p1) / 3);
    } else {
      rgba[2][i] = uint8_t((p0 + p1) / 2);
      rgba[3][i] = 0;
    }
  }
  rgba[2][3] = 255;
  rgba[3][3] = c0 <= c1 && transparent_black ? 0 : 255;
  for (int p = 0; p < 4; ++p) {
    palette[p][order.red] = rgba[p][0];
    palette[p][order.green] = rgba[p][1];
    palette[p][order.blue] = rgba[p][2];
    palette[p][3] = rgba[p][3];
  }
}

// One row of 4 x 4 blocks into the four pixel rows out_rows[0..3] of width pixels.
void DecodeDxt1BlockRow(const uint8_t* blocks, uint32_t width, bool transparent_black,
                        PixelOrder order, uint8_t* const out_rows[4]) {
  uint8_t palette[4][4];
  for (uint32_t bx = 0; bx < width / 4; ++bx) {
    const uint8_t* block = blocks + size_t(bx) * 8;
    BuildDxt1Palette(block, transparent_black, order, palette);
    for (uint32_t row = 0; row < 4; ++row) {
      uint8_t* target = out_rows[row] + size_t(bx) * 16;
      uint8_t indices = block[4 + row];
      for (int t = 0; t < 4; ++t) std::memcpy(target + 4 * t, palette[(indices >> (2 * t)) & 3], 4);
    }
  }
}

bool IsLevel0BlockCoded(const AceLayout& layout) {
  return (layout.flags & kAceFlagRawData) != 0 && IsBlockCoded(layout.width, layout.height);
}

}  // namespace

size_t AceHeaderBytesNeeded(std::span<const uint8_t> ace_data) {
  if (ace_data.size() < kAceHeaderSize) return kAceHeaderSize;
  uint32_t count = std::min(ReadU32(ace_data.data() + 20), kMaxAceChannels);
  return kAceHeaderSize + 16 * size_t(count);
}

bool ReadAceLayout(std::span<const uint8_t> ace_data, AceLayout& layout, std::string& reason) {
  if (ace_data.size() < kAceHeaderSize) {
    reason = "truncated ACE header";
    return false;
  }
  const uint8_t* header = ace_data.data();
  uint32_t signature = ReadU32(header);
  if (signature != 1) {
    reason = "ACE signature " + FormatHex(signature) + " is not 1";
    return false;
  }
  AceLayout read;
  read.flags = ReadU32(header + 4);
  read.width = ReadU32(header + 8);
  read.height = ReadU32(header + 12);
  read.surface_format = ReadU32(header + 16);
  read.channel_count = ReadU32(header + 20);
  if (read.width < 1 || read.width > kMaxAceSide || read.height < 1 || read.height > kMaxAceSide) {
    reason = "size " + std::to_string(read.width) + "x" + std::to_string(read.height) +
             " outside 1-" + std::to_string(kMaxAceSide);
    return false;
  }
  if (read.channel_count < 1 || read.channel_count > kMaxAceChannels) {
    reason = "channel count " + std::to_string(read.channel_count) + " outside 1-" +
             std::to_string(kMaxAceChannels);
    return false;
  }
  read.table_offset = kAceHeaderSize + 16 * uint64_t(read.channel_count);
  if (ace_data.size() < read.table_offset) {
    reason = "truncated channel descriptors";
    return false;
  }
  if (!ReadAceDescriptors(header + kAceHeaderSize, read, reason)) return false;
  if (!CheckAceFormat(read, reason)) return false;
  ComputeAceExtent(read);
  layout = read;
  return true;
}

void DecodeDxt1Block(const uint8_t* block, bool transparent_black, uint8_t* texels) {
  uint8_t palette[4][4];
  BuildDxt1Palette(block, transparent_black, kRgbaOrder, palette);
  uint32_t indices = ReadU32(block + 4);
  for (int t = 0; t < 16; ++t) {
    std::memcpy(texels + 4 * t, palette[(indices >> (2 * t)) & 3], 4);
  }
}

bool OpenAceData(std::span<const uint8_t> ace_data, AceImageData& image, std::string& reason) {
  AceLayout layout;
  if (!ReadAceLayout(ace_data, layout, reason)) return false;
  if (ace_data.size() < layout.data_end) {
    reason = DescribeTruncation(layout, ace_data.size());
    return false;
  }
  const uint8_t* level0 = ace_data.data() + layout.data_offset;
  if (IsLevel0BlockCoded(layout)) {
    uint32_t count = ReadU32(level0);
    uint64_t expected = ComputeLevelSize(layout, 0) - 4;
    if (count != expected) {
      reason =
          "DXT1 byte count " + std::to_string(count) + ", expected " + std::to_string(expected);
      return false;
    }
  }
  image.layout = layout;
  image.level0 = level0;
  return true;
}

uint32_t AceRowGroup(const AceImageData& image) { return IsLevel0BlockCoded(image.layout) ? 4 : 1; }

void DecodeAceRows(const AceImageData& image, uint32_t first_row, uint32_t row_count,
                   PixelOrder order, uint8_t* out, ptrdiff_t row_stride) {
  const AceLayout& layout = image.layout;
  uint32_t width = layout.width;
  if (IsLevel0BlockCoded(layout)) {
    const uint8_t* blocks = image.level0 + 4;
    size_t block_row_bytes = size_t(width / 4) * 8;
    for (uint32_t y = first_row; y < first_row + row_count; y += 4) {
      uint8_t* rows[4];
      for (uint32_t r = 0; r < 4; ++r) rows[r] = out + ptrdiff_t(y - first_row + r) * row_stride;
      DecodeDxt1BlockRow(blocks + (y / 4) * block_row_bytes, width, layout.has_mask, order, rows);
    }
    return;
  }
  PlaneOffsets offsets = FindPlaneOffsets(layout, width);
  uint64_t row_length = ComputeRowLength(layout, width);
  for (uint32_t y = first_row; y < first_row + row_count; ++y) {
    DecodePlanarRow(layout, offsets, image.level0 + y * row_length, width, order,
                    out + ptrdiff_t(y - first_row) * row_stride);
  }
}

bool DecodeAceData(std::span<const uint8_t> ace_data, RgbaImage& image, std::string& reason) {
  AceImageData data;
  if (!OpenAceData(ace_data, data, reason)) return false;
  RgbaImage decoded;
  decoded.width = data.layout.width;
  decoded.height = data.layout.height;
  decoded.pixels.resize(size_t(decoded.width) * decoded.height * 4);
  DecodeAceRows(data, 0, decoded.height, kRgbaOrder, decoded.pixels.data(),
                ptrdiff_t(decoded.width) * 4);
  image = std::move(decoded);
  return true;
}

}  // namespace texconv
