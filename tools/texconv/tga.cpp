// TGA encoding, and the conversion of one ACE file into one TGA file.
#include "tools/texconv/tga.h"

#include <cstring>

#include "tools/texconv/file_io.h"

namespace texconv {
namespace {

// The one place that fixes the orientation: bottom row stored first, descriptor bit 5 clear.
constexpr bool kTgaBottomRowFirst = true;
constexpr uint8_t kTgaDescriptor = kTgaBottomRowFirst ? 0x08 : 0x28;  // 8 alpha bits

uint32_t SourceRowForStoredRow(uint32_t stored_row, uint32_t height) {
  return kTgaBottomRowFirst ? height - 1 - stored_row : stored_row;
}

void WriteTgaHeader(uint32_t width, uint32_t height, uint8_t* header) {
  std::memset(header, 0, kTgaHeaderSize);
  header[2] = 2;  // uncompressed true colour
  header[12] = uint8_t(width);
  header[13] = uint8_t(width >> 8);
  header[14] = uint8_t(height);
  header[15] = uint8_t(height >> 8);
  header[16] = 32;
  header[17] = kTgaDescriptor;
}

void ConvertRowToBgra(const uint8_t* rgba, uint32_t width, uint8_t* bgra) {
  for (uint32_t x = 0; x < width; ++x) {
    bgra[0] = rgba[2];
    bgra[1] = rgba[1];
    bgra[2] = rgba[0];
    bgra[3] = rgba[3];
    rgba += 4;
    bgra += 4;
  }
}

}  // namespace

std::vector<uint8_t> EncodeTga(const RgbaImage& image) {
  size_t row_bytes = size_t(image.width) * 4;
  std::vector<uint8_t> tga(kTgaHeaderSize + row_bytes * image.height);
  WriteTgaHeader(image.width, image.height, tga.data());
  for (uint32_t stored = 0; stored < image.height; ++stored) {
    uint32_t source = SourceRowForStoredRow(stored, image.height);
    ConvertRowToBgra(image.pixels.data() + source * row_bytes, image.width,
                     tga.data() + kTgaHeaderSize + stored * row_bytes);
  }
  return tga;
}

bool WriteTgaFile(const std::string& path, const RgbaImage& image, std::string& reason) {
  std::vector<uint8_t> tga = EncodeTga(image);
  return ReplaceFileContent(path, tga.data(), tga.size(), reason);
}

bool ReadAceFile(const std::string& path, RgbaImage& image, std::string& reason) {
  std::vector<uint8_t> file;
  if (!ReadWholeFile(path, file, reason)) return false;
  return DecodeAceFile(file, image, reason);
}

bool ConvertAceToTga(const std::string& source_ace, const std::string& destination_tga,
                     std::string& reason) {
  RgbaImage image;
  if (!ReadAceFile(source_ace, image, reason)) return false;
  return WriteTgaFile(destination_tga, image, reason);
}

}  // namespace texconv
