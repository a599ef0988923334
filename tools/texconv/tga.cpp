// TGA encoding, and the conversion of one ACE file into one TGA file.
#include "tools/texconv/tga.h"

#include <algorithm>
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

// Stored rows [first, first + count) of image's TGA pixels, into out.
void EncodeTgaRows(const RgbaImage& image, uint32_t first, uint32_t count, uint8_t* out) {
  size_t row_bytes = size_t(image.width) * 4;
  for (uint32_t stored = first; stored < first + count; ++stored) {
    uint32_t source = SourceRowForStoredRow(stored, image.height);
    ConvertRowToBgra(image.pixels.data() + source * row_bytes, image.width, out);
    out += row_bytes;
  }
}

}  // namespace

std::vector<uint8_t> EncodeTga(const RgbaImage& image) {
  std::vector<uint8_t> tga(kTgaHeaderSize + size_t(image.width) * 4 * image.height);
  WriteTgaHeader(image.width, image.height, tga.data());
  EncodeTgaRows(image, 0, image.height, tga.data() + kTgaHeaderSize);
  return tga;
}

// Rows go out in slices of about 256 KiB: no picture-sized buffer besides the input.
uint32_t ComputeSliceRows(uint32_t width, uint32_t group) {
  size_t rows = (size_t(1) << 18) / (size_t(width) * 4);
  rows -= rows % group;
  return uint32_t(std::max<size_t>(rows, group));
}

bool WriteTgaFile(const std::string& path, const RgbaImage& image, std::string& reason) {
  ReplacementFile file;
  if (!OpenReplacement(path, file, reason)) return false;
  size_t row_bytes = size_t(image.width) * 4;
  uint32_t slice_rows = ComputeSliceRows(image.width, 1);
  std::vector<uint8_t> slice(std::max(kTgaHeaderSize, row_bytes * slice_rows));
  WriteTgaHeader(image.width, image.height, slice.data());
  bool ok = WriteReplacement(file, slice.data(), kTgaHeaderSize, reason);
  for (uint32_t first = 0; ok && first < image.height; first += slice_rows) {
    uint32_t count = std::min(slice_rows, image.height - first);
    EncodeTgaRows(image, first, count, slice.data());
    ok = WriteReplacement(file, slice.data(), row_bytes * count, reason);
  }
  if (!ok) {
    AbandonReplacement(file);
    return false;
  }
  return CommitReplacement(file, reason);
}

// Decodes straight into TGA slices: each slice of stored rows is a run of picture rows that
// DecodeAceRows fills in the stored order through a stride of the right sign.
bool WriteAceAsTga(const std::string& path, const AceImageData& image, std::string& reason) {
  uint32_t width = image.layout.width, height = image.layout.height;
  ReplacementFile file;
  if (!OpenReplacement(path, file, reason)) return false;
  size_t row_bytes = size_t(width) * 4;
  uint32_t group = AceRowGroup(image);
  uint32_t slice_rows = ComputeSliceRows(width, group);
  std::vector<uint8_t> slice(std::max(kTgaHeaderSize, row_bytes * slice_rows));
  WriteTgaHeader(width, height, slice.data());
  bool ok = WriteReplacement(file, slice.data(), kTgaHeaderSize, reason);
  for (uint32_t first = 0; ok && first < height; first += slice_rows) {
    uint32_t count = std::min(slice_rows, height - first);
    uint32_t row_a = SourceRowForStoredRow(first, height);
    uint32_t row_b = SourceRowForStoredRow(first + count - 1, height);
    bool reversed = row_a > row_b;
    uint8_t* top = reversed ? slice.data() + (count - 1) * row_bytes : slice.data();
    ptrdiff_t stride = reversed ? -ptrdiff_t(row_bytes) : ptrdiff_t(row_bytes);
    DecodeAceRows(image, std::min(row_a, row_b), count, kBgraOrder, top, stride);
    ok = WriteReplacement(file, slice.data(), row_bytes * count, reason);
  }
  if (!ok) {
    AbandonReplacement(file);
    return false;
  }
  return CommitReplacement(file, reason);
}

bool ReadAceFile(const std::string& path, RgbaImage& image, std::string& reason) {
  std::vector<uint8_t> file;
  if (!ReadWholeFile(path, file, reason)) return false;
  return DecodeAceFile(file, image, reason);
}

bool ConvertAceToTga(const std::string& source_ace, const std::string& destination_tga,
                     std::string& reason) {
  std::vector<uint8_t> file, inflated;
  std::span<const uint8_t> ace_data;
  AceImageData image;
  return ReadWholeFile(source_ace, file, reason) && FindAceData(file, inflated, ace_data, reason) &&
         OpenAceData(ace_data, image, reason) && WriteAceAsTga(destination_tga, image, reason);
}

}  // namespace texconv
