#include "model/tga_reader.h"

#include <algorithm>

namespace model {
namespace {

uint32_t Little16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

// One stored pixel of bytes_per_pixel bytes to RGBA.
void ToRgba(const uint8_t* in, uint32_t bytes_per_pixel, bool grey, bool alpha_bits, uint8_t* out) {
  if (grey) {
    out[0] = out[1] = out[2] = in[0];
    out[3] = bytes_per_pixel == 2 ? in[1] : 255;
  } else if (bytes_per_pixel == 2) {
    // A1R5G5B5: five bits widened by repeating their top bits.
    uint32_t v = Little16(in);
    auto widen = [](uint32_t five) { return uint8_t((five << 3) | (five >> 2)); };
    out[0] = widen((v >> 10) & 31);
    out[1] = widen((v >> 5) & 31);
    out[2] = widen(v & 31);
    out[3] = alpha_bits ? ((v & 0x8000) ? 255 : 0) : 255;
  } else {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    out[3] = bytes_per_pixel == 4 ? in[3] : 255;  // 32 bits carry alpha, whatever the header
  }
}

}  // namespace

bool DecodeTga(std::string_view bytes, RgbaPicture& picture, std::string& reason,
               uint64_t max_pixels) {
  picture = RgbaPicture();
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t size = bytes.size();
  if (size < 18) {
    reason = "shorter than a TGA header";
    return false;
  }
  uint32_t id_length = data[0], colour_map_type = data[1], type = data[2];
  uint32_t width = Little16(data + 12), height = Little16(data + 14);
  uint32_t depth = data[16], descriptor = data[17];
  bool rle = type >= 9;
  bool grey = type == 3 || type == 11;
  if (colour_map_type != 0 || (type != 2 && type != 3 && type != 10 && type != 11)) {
    reason = "not a true-colour or grey TGA (type " + std::to_string(type) + ")";
    return false;
  }
  bool depth_ok = grey ? (depth == 8 || depth == 16) : (depth == 16 || depth == 24 || depth == 32);
  if (!depth_ok) {
    reason = "unsupported pixel depth " + std::to_string(depth);
    return false;
  }
  if (width == 0 || height == 0 || uint64_t(width) * height > max_pixels) {
    reason = "picture size " + std::to_string(width) + "x" + std::to_string(height) +
             " is empty or too large";
    return false;
  }
  uint32_t bytes_per_pixel = depth / 8;
  bool alpha_bits = (descriptor & 15) != 0;
  bool top_first = (descriptor & 0x20) != 0;
  size_t at = 18 + id_length;
  if (at > size) {
    reason = "cut short in its image id";
    return false;
  }
  uint64_t count = uint64_t(width) * height;
  // Decoded in stored order, then rows put top first.
  std::vector<uint8_t> stored(count * 4);
  uint64_t done = 0;
  while (done < count) {
    uint64_t run = 1;
    bool repeat = false;
    if (rle) {
      if (at >= size) break;
      uint8_t head = data[at++];
      run = (head & 127u) + 1u;
      repeat = (head & 128u) != 0;
      if (run > count - done) {
        reason = "run beyond the last pixel at byte " + std::to_string(at - 1);
        return false;
      }
    } else {
      run = count;
    }
    if (repeat) {
      if (size - at < bytes_per_pixel) break;
      uint8_t rgba[4];
      ToRgba(data + at, bytes_per_pixel, grey, alpha_bits, rgba);
      at += bytes_per_pixel;
      for (uint64_t i = 0; i < run; ++i, ++done) {
        for (int k = 0; k < 4; ++k) stored[done * 4 + k] = rgba[k];
      }
    } else {
      if ((size - at) / bytes_per_pixel < run) break;
      for (uint64_t i = 0; i < run; ++i, ++done) {
        ToRgba(data + at, bytes_per_pixel, grey, alpha_bits, &stored[done * 4]);
        at += bytes_per_pixel;
      }
    }
  }
  if (done < count) {
    reason = "cut short at pixel " + std::to_string(done) + " of " + std::to_string(count);
    return false;
  }
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(stored.size());
  size_t row_bytes = size_t(width) * 4;
  for (uint32_t row = 0; row < height; ++row) {
    uint32_t from = top_first ? row : height - 1 - row;
    std::copy(stored.begin() + std::ptrdiff_t(from * row_bytes),
              stored.begin() + std::ptrdiff_t((from + 1) * row_bytes),
              picture.pixels.begin() + std::ptrdiff_t(row * row_bytes));
  }
  for (size_t i = 3; i < picture.pixels.size(); i += 4) {
    if (picture.pixels[i] != 255) {
      picture.has_alpha = true;
      break;
    }
  }
  return true;
}

}  // namespace model
