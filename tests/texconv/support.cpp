#include "tests/texconv/support.h"

#include <zlib.h>

#include <cctype>
#include <stdexcept>

namespace texconv_test {

Bytes HexBytes(const std::string& hex) {
  Bytes out;
  std::string digits;
  for (char c : hex) {
    if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
  }
  for (size_t i = 0; i + 1 < digits.size(); i += 2)
    out.push_back(uint8_t(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return out;
}

void AppendU32(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

Bytes MakeAceHeader(uint32_t flags, uint32_t width, uint32_t height, uint32_t surface,
                    const std::vector<AceChannel>& channels) {
  Bytes out;
  for (uint32_t field : {1u, flags, width, height, surface, uint32_t(channels.size())})
    AppendU32(out, field);
  out.resize(texconv::kAceHeaderSize, 0);
  for (AceChannel channel : channels) {
    for (uint32_t field : {channel == AceChannel::kMask ? 1u : 8u, 0u, uint32_t(channel), 0u})
      AppendU32(out, field);
  }
  return out;
}

Bytes WrapPlain(const Bytes& ace_data) {
  Bytes out = HexBytes("53 49 4d 49 53 41 40 40 40 40 40 40 40 40 40 40");
  out.insert(out.end(), ace_data.begin(), ace_data.end());
  return out;
}

Bytes WrapCompressed(const Bytes& ace_data, uint32_t size_field) {
  Bytes out = HexBytes("53 49 4d 49 53 41 40 46");
  AppendU32(out, size_field);
  out.insert(out.end(), {'@', '@', '@', '@'});
  uLongf packed = compressBound(uLong(ace_data.size()));
  Bytes stream(packed);
  if (compress(stream.data(), &packed, ace_data.data(), uLong(ace_data.size())) != Z_OK)
    throw std::runtime_error("compress failed");
  out.insert(out.end(), stream.begin(), stream.begin() + long(packed));
  return out;
}

Bytes WorkedExampleAce() {
  Bytes file = HexBytes(
      "53 49 4d 49 53 41 40 40 40 40 40 40 40 40 40 40"
      "01 00 00 00 00 00 00 00 02 00 00 00 02 00 00 00"
      "10 00 00 00 04 00 00 00 00 00 00 00 00 00 00 00");
  file.resize(0xa0, 0);
  Bytes rest = HexBytes(
      "00 00 00 00 00 00 00 00 08 00 00 00 00 00 00 00"
      "03 00 00 00 00 00 00 00 08 00 00 00 00 00 00 00"
      "04 00 00 00 00 00 00 00 08 00 00 00 00 00 00 00"
      "05 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00"
      "02 00 00 00 00 00 00 00 e0 00 00 00 e7 00 00 00"
      "ff 00 00 ff 00 00 80 00 80 00 80 ff 80 c0");
  file.insert(file.end(), rest.begin(), rest.end());
  return file;
}

Bytes WorkedExampleTga() {
  return HexBytes(
      "00 00 02 00 00 00 00 00 00 00 00 00 02 00 02 00 20 08"
      "ff 00 00 ff   80 80 80 ff   00 00 ff ff   00 ff 00 00");
}

texconv::RgbaImage MakeTestImage(uint32_t width, uint32_t height, bool with_alpha) {
  texconv::RgbaImage image{width, height, Bytes(size_t(width) * height * 4)};
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = image.pixels.data() + (size_t(y) * width + x) * 4;
      p[0] = uint8_t(x * 16 + y);
      p[1] = uint8_t(y * 16 + x);
      p[2] = uint8_t(x ^ y);
      p[3] = with_alpha ? uint8_t((x * 37 + y * 11) & 0xFF) : 255;
    }
  }
  return image;
}

uint32_t PixelAt(const texconv::RgbaImage& image, uint32_t x, uint32_t y) {
  const uint8_t* p = image.pixels.data() + (size_t(y) * image.width + x) * 4;
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

}  // namespace texconv_test
