// ACE files built in the test: literal bytes, headers, the SIMIS wrappers, test pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/common/common.h"
#include "tools/texconv/ace.h"

namespace texconv_test {

using test::Bytes;
using texconv::AceChannel;

inline const std::vector<AceChannel> kRgb = {AceChannel::kRed, AceChannel::kGreen,
                                             AceChannel::kBlue};
inline const std::vector<AceChannel> kRgbMask = {AceChannel::kRed, AceChannel::kGreen,
                                                 AceChannel::kBlue, AceChannel::kMask};
inline const std::vector<AceChannel> kRgbMaskAlpha = {
    AceChannel::kRed, AceChannel::kGreen, AceChannel::kBlue, AceChannel::kMask, AceChannel::kAlpha};

// Bytes from hex text such as "53 49 4d"; white space between pairs is ignored.
Bytes HexBytes(const std::string& hex);
void AppendU32(Bytes& out, uint32_t value);

// The 152-byte ACE header with these fields, then one descriptor per channel (1 bit for the
// mask, 8 for the others). The offset table and rows are for the caller.
Bytes MakeAceHeader(uint32_t flags, uint32_t width, uint32_t height, uint32_t surface,
                    const std::vector<AceChannel>& channels);
// "SIMISA@@@@@@@@@@" + data; "SIMISA@F", size_field, "@@@@", zlib of data.
Bytes WrapPlain(const Bytes& ace_data);
Bytes WrapCompressed(const Bytes& ace_data, uint32_t size_field);

// The worked 2 x 2 example texture (254 bytes) and its TGA (34 bytes).
Bytes WorkedExampleAce();
Bytes WorkedExampleTga();

// A picture whose pixel (x, y) is (x * 16 + y, y * 16 + x, x ^ y, alpha_of(x, y)).
texconv::RgbaImage MakeTestImage(uint32_t width, uint32_t height, bool with_alpha);
// RGBA of pixel (x, y) as one number 0xRRGGBBAA.
uint32_t PixelAt(const texconv::RgbaImage& image, uint32_t x, uint32_t y);

}  // namespace texconv_test
