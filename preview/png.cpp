#include "preview/png.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace preview {

std::string EncodePng(const Picture& picture) {
  if (picture.width == 0 || picture.height == 0) return std::string();
  std::vector<uint8_t> rgb(static_cast<size_t>(picture.width) * picture.height * 3);
  for (size_t i = 0, n = rgb.size() / 3; i < n; ++i) {
    std::memcpy(&rgb[i * 3], &picture.pixels[i * 4], 3);
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = picture.width;
  image.height = picture.height;
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) {
    return std::string();
  }
  std::string bytes(size, '\0');
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr)) {
    return std::string();
  }
  bytes.resize(size);
  return bytes;
}

bool DecodePng(std::string_view bytes, Picture& picture, std::string& reason) {
  picture = Picture();
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    reason = image.message;
    return false;
  }
  if (uint64_t(image.width) * image.height > (uint64_t{1} << 26)) {
    png_image_free(&image);
    reason = "picture too large";
    return false;
  }
  image.format = PNG_FORMAT_RGBA;
  picture.width = image.width;
  picture.height = image.height;
  picture.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr)) {
    reason = image.message;
    picture = Picture();
    return false;
  }
  return true;
}

}  // namespace preview
