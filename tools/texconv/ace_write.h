// Writing ACE textures: used to make the example textures, test inputs, fuzzer seeds and
// benchmark data. Not part of the shipped library.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/texconv/ace.h"

namespace texconv {

// Red, green and blue: the descriptors of a plain colour texture.
std::vector<AceChannel> MakeRgbChannels();

struct AceWriteOptions {
  bool mipmaps = false;   // flag 0x01: the whole chain down to 1 x 1
  bool dxt1 = false;      // flag 0x10, surface 0x12: DXT1 blocks (sides a multiple of 4)
  bool compress = false;  // SIMISA@F wrapper with one zlib stream
  // Descriptors in file order; DXT1 files take red, green, blue and optionally the mask.
  std::vector<AceChannel> channels = MakeRgbChannels();
  uint32_t surface_format = 0x0E;  // a hint for planar files; forced to 0x12 for DXT1
  uint32_t extra_flags = 0;        // e.g. kAceFlagIgnored
  size_t trailing_bytes = 0;       // bytes of 0xA5 appended after the last level
};

// The next smaller mipmap level: both sides halved (never below 1), 2 x 2 box average.
RgbaImage HalveImage(const RgbaImage& image);

// Encodes 16 RGBA texels (row by row) as one DXT1 block. With transparent_mode, a block
// holding a texel whose alpha is below 128 uses the 3-colour mode and index 3 for it.
void EncodeDxt1Block(const uint8_t* texels, bool transparent_mode, uint8_t* block);

// The ACE data (header, descriptors, offset table, levels, trailing bytes) of image.
std::vector<uint8_t> EncodeAceData(const RgbaImage& image, const AceWriteOptions& options);

// The SIMIS file around ace_data: plain, or compressed with zlib at the default level.
std::vector<uint8_t> WrapAceData(const std::vector<uint8_t>& ace_data, bool compress);

// EncodeAceData followed by WrapAceData.
std::vector<uint8_t> EncodeAceFile(const RgbaImage& image, const AceWriteOptions& options);

}  // namespace texconv
