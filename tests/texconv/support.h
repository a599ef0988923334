// ACE files built in the tests: literal bytes, headers, the compressed wrapper, test pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/common/common.h"
#include "tools/texconv/ace.h"
#include "tools/texconv/ace_write.h"

namespace texconv_test {

using test::Bytes;
using texconv::AceChannel;

inline const std::vector<AceChannel> kRgb = {AceChannel::kRed, AceChannel::kGreen,
                                             AceChannel::kBlue};
inline const std::vector<AceChannel> kRgbMask = {AceChannel::kRed, AceChannel::kGreen,
                                                 AceChannel::kBlue, AceChannel::kMask};
inline const std::vector<AceChannel> kRgbMaskAlpha = {
    AceChannel::kRed, AceChannel::kGreen, AceChannel::kBlue, AceChannel::kMask, AceChannel::kAlpha};

// Bytes from hex text such as "53 49 4d"; white space is ignored.
Bytes HexBytes(const std::string& hex);
// The 152-byte ACE header with these fields, one descriptor per channel (1 bit for the mask, 8
// for the others), then the bytes of rest_hex (offset table and rows).
Bytes MakeAceData(uint32_t flags, uint32_t width, uint32_t height, uint32_t surface,
                  const std::vector<AceChannel>& channels, const std::string& rest_hex = "");

// The compressed SIMIS file of ace_data, its size field replaced by size_field.
Bytes WrapCompressed(const Bytes& ace_data, uint32_t size_field);
// The worked 2 x 2 example texture (254 bytes) and its TGA (34 bytes).
Bytes WorkedExampleAce();
Bytes WorkedExampleTga();
// A picture whose pixel (x, y) is (x * 16 + y, y * 16 + x, x ^ y, (x * 37 + y * 11) & 255), and
// the ACE file of it.
texconv::RgbaImage MakeTestImage(uint32_t width, uint32_t height);
Bytes EncodeTestAce(uint32_t width, uint32_t height, bool mipmaps, bool dxt1, bool compress,
                    const std::vector<AceChannel>& channels);
// RGBA of pixel (x, y) as one number 0xRRGGBBAA.
uint32_t PixelAt(const texconv::RgbaImage& image, uint32_t x, uint32_t y);

}  // namespace texconv_test
