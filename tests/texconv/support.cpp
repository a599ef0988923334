#include "tests/texconv/support.h"

#include <cctype>

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

Bytes MakeAceData(uint32_t flags, uint32_t width, uint32_t height, uint32_t surface,
                  const std::vector<AceChannel>& channels, const std::string& rest_hex) {
  Bytes out;
  auto append = [&out](uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
  };
  for (uint32_t field : {1u, flags, width, height, surface, uint32_t(channels.size())})
    append(field);
  out.resize(texconv::kAceHeaderSize, 0);
  for (AceChannel channel : channels) {
    for (uint32_t field : {channel == AceChannel::kMask ? 1u : 8u, 0u, uint32_t(channel), 0u})
      append(field);
  }
  Bytes rest = HexBytes(rest_hex);
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

Bytes WrapCompressed(const Bytes& ace_data, uint32_t size_field) {
  Bytes file = texconv::WrapAceData(ace_data, true);
  for (int i = 0; i < 4; ++i) file[8 + size_t(i)] = uint8_t(size_field >> (8 * i));
  return file;
}

Bytes WorkedExampleAce() {
  return texconv::WrapAceData(
      MakeAceData(0, 2, 2, 0x10, kRgbMask,
                  "e0000000 e7000000  ff 00 00 ff 00 00 80  00 80 00 80 ff 80 c0"),
      false);
}

Bytes WorkedExampleTga() {
  return HexBytes(
      "00 00 02 00 00 00 00 00 00 00 00 00 02 00 02 00 20 08"
      "ff 00 00 ff   80 80 80 ff   00 00 ff ff   00 ff 00 00");
}

texconv::RgbaImage MakeTestImage(uint32_t width, uint32_t height) {
  texconv::RgbaImage image{width, height, Bytes(size_t(width) * height * 4)};
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = image.pixels.data() + (size_t(y) * width + x) * 4;
      p[0] = uint8_t(x * 16 + y);
      p[1] = uint8_t(y * 16 + x);
      p[2] = uint8_t(x ^ y);
      p[3] = uint8_t((x * 37 + y * 11) & 0xFF);
    }
  }
  return image;
}

Bytes EncodeTestAce(uint32_t width, uint32_t height, bool mipmaps, bool dxt1, bool compress,
                    const std::vector<AceChannel>& channels) {
  texconv::AceWriteOptions options;
  options.mipmaps = mipmaps;
  options.dxt1 = dxt1;
  options.compress = compress;
  options.channels = channels;
  return texconv::EncodeAceFile(MakeTestImage(width, height), options);
}

uint32_t PixelAt(const texconv::RgbaImage& image, uint32_t x, uint32_t y) {
  const uint8_t* p = image.pixels.data() + (size_t(y) * image.width + x) * 4;
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

}  // namespace texconv_test
