// TGA pictures as the texture converter writes them (and as paint programs do): true colour
// or grey, 8/16/24/32 bits, plain or run-length coded, either row order. Takes bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace model {

struct RgbaPicture {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> pixels;  // RGBA, top row first
  bool has_alpha = false;       // some pixel is not fully opaque
};

// Decodes bytes into picture; false with reason naming the fault when the bytes are not such a
// TGA, are cut short or describe a picture larger than max_pixels.
bool DecodeTga(std::string_view bytes, RgbaPicture& picture, std::string& reason,
               uint64_t max_pixels = uint64_t{1} << 24);

}  // namespace model
