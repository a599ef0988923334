// Decoding of MSTS ACE textures (plain or zlib-wrapped SIMIS files) into an RGBA picture.
//
// Every size, count and offset announced by the file is checked before a byte is read: a
// file that is truncated, corrupt or lies about its size is refused with a reason, never
// read past its end, and never makes the decoder allocate more than the image it announces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace texconv {

// Largest width or height accepted.
inline constexpr uint32_t kMaxAceSide = 8192;
// Largest number of channel descriptors accepted.
inline constexpr uint32_t kMaxAceChannels = 8;
// Bytes a compressed file may carry after the image data (samples carry up to a few KiB of a
// plug-in's own blocks); the zlib output is never allowed to grow past image + this.
inline constexpr uint64_t kMaxAceTrailingBytes = 1u << 20;
// Size of the ACE header before the channel descriptors.
inline constexpr size_t kAceHeaderSize = 152;

// ACE header flag bits.
inline constexpr uint32_t kAceFlagMipmaps = 0x01;
inline constexpr uint32_t kAceFlagIgnored = 0x04;  // written by one tool, meaning unknown
inline constexpr uint32_t kAceFlagRawData = 0x10;

// Surface format of raw DXT1 data.
inline constexpr uint32_t kAceSurfaceDxt1 = 0x12;

// Channel types of the descriptors.
enum class AceChannel : uint8_t { kMask = 2, kRed = 3, kGreen = 4, kBlue = 5, kAlpha = 6 };

// A decoded picture: width * height pixels of R, G, B, A bytes, top row first.
struct RgbaImage {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> pixels;
};

// What the header of the ACE data says, once it has been checked.
struct AceLayout {
  uint32_t flags = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t surface_format = 0;
  uint32_t channel_count = 0;
  AceChannel channels[kMaxAceChannels] = {};
  uint32_t level_count = 1;
  bool has_mask = false;
  bool has_alpha = false;
  uint64_t table_offset = 0;  // first byte after the descriptors
  uint64_t data_offset = 0;   // first byte after the offset table: where level 0 starts
  uint64_t data_end = 0;      // first byte after the last level: the size the header implies
};

// Reads and checks the header and channel descriptors at the start of the ACE data (offset 0
// is the signature 1) and computes where the image data lies. Needs only the header and the
// descriptors to be present; does not look at the image data. False with reason set when the
// header is invalid or describes something this decoder does not support.
bool ReadAceLayout(std::span<const uint8_t> ace_data, AceLayout& layout, std::string& reason);

// Bytes the caller must supply for ReadAceLayout to see every descriptor, given the first
// kAceHeaderSize bytes (at most kAceHeaderSize + 16 * kMaxAceChannels).
size_t AceHeaderBytesNeeded(std::span<const uint8_t> ace_data);

// Level 0 of checked ACE data, ready to be decoded row by row. level0 points into the data
// given to OpenAceData, which must outlive it.
struct AceImageData {
  AceLayout layout;
  const uint8_t* level0 = nullptr;  // the first row, or the DXT1 byte count
};

// Byte positions of red, green and blue in a decoded pixel; alpha is always byte 3.
struct PixelOrder {
  uint8_t red, green, blue;
};
inline constexpr PixelOrder kRgbaOrder = {0, 1, 2};
inline constexpr PixelOrder kBgraOrder = {2, 1, 0};

// Makes every check of DecodeAceData without decoding. False with reason set on any fault.
bool OpenAceData(std::span<const uint8_t> ace_data, AceImageData& image, std::string& reason);

// Rows are decoded in groups of this many (4 for DXT1 blocks, else 1): DecodeAceRows needs
// first_row and row_count to be multiples of it, or row_count to reach the last row.
uint32_t AceRowGroup(const AceImageData& image);

// Decodes rows [first_row, first_row + row_count) of level 0 (top row 0) as 4-byte pixels in
// `order`; row y goes to out + (y - first_row) * row_stride, which may be negative.
void DecodeAceRows(const AceImageData& image, uint32_t first_row, uint32_t row_count,
                   PixelOrder order, uint8_t* out, ptrdiff_t row_stride);

// Decodes level 0 of the ACE data (the content after the SIMIS wrapper) into image. Bytes
// after the image data are ignored; rows and levels are taken at their sequential positions,
// not through the offset tables. False with reason set on any fault; image is then unchanged.
bool DecodeAceData(std::span<const uint8_t> ace_data, RgbaImage& image, std::string& reason);

// Removes the SIMIS wrapper of an ACE file: for a plain file, ace_data is the rest of the
// file after the 16-byte signature; for a compressed one, the inflated stream, no larger than
// the image its header announces plus kMaxAceTrailingBytes and exactly as long as the size
// field. False with reason set when the wrapper is not an ACE one or the stream is faulty.
bool UnwrapAceFile(std::span<const uint8_t> file, std::vector<uint8_t>& ace_data,
                   std::string& reason);

// As UnwrapAceFile, without copying a plain file's data: ace_data is then a view into file;
// for a compressed file it is a view of inflated.
bool FindAceData(std::span<const uint8_t> file, std::vector<uint8_t>& inflated,
                 std::span<const uint8_t>& ace_data, std::string& reason);

// UnwrapAceFile followed by DecodeAceData.
bool DecodeAceFile(std::span<const uint8_t> file, RgbaImage& image, std::string& reason);

// Reads the file at path and decodes it as DecodeAceFile does.
bool ReadAceFile(const std::string& path, RgbaImage& image, std::string& reason);

// Decodes one 8-byte DXT1 block into 16 RGBA texels (row by row, top row first). In a block
// whose first colour is not greater than the second, the fourth colour is black, with alpha 0
// when transparent_black is set and 255 otherwise.
void DecodeDxt1Block(const uint8_t* block, bool transparent_black, uint8_t* texels);

}  // namespace texconv
