// make_icon OUTPUT.ico: the program's icon for Windows, from the dialog's own image
// (res/icon128.xpm), as one 32 x 32 image of 32-bit pixels with its transparency mask.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "res/icon128.xpm"

namespace {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, top row first
};

int ReadNumber(std::string_view& text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  int value = 0;
  while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
    value = value * 10 + (text.front() - '0');
    text.remove_prefix(1);
  }
  return value;
}

uint32_t HexDigit(char c) {
  c = LowerAscii(c);
  return static_cast<uint32_t>(c >= 'a' ? c - 'a' + 10 : c - '0');
}

// "W H COLOURS 1", then one "X c #RRGGBB" or "X c None" line per colour, then the rows.
bool ReadXpm(const char* const* lines, Image& image) {
  std::string_view header = lines[0];
  image.width = ReadNumber(header);
  image.height = ReadNumber(header);
  int colours = ReadNumber(header);
  if (ReadNumber(header) != 1 || image.width <= 0 || image.height <= 0) return false;
  std::map<char, uint32_t> palette;
  for (int i = 1; i <= colours; ++i) {
    std::string_view line = lines[i];
    if (line.size() < 5) return false;
    std::string_view colour = line.substr(4);
    uint32_t argb = 0;
    if (colour.size() == 7 && colour[0] == '#') {
      argb = 0xFF000000;
      for (char c : colour.substr(1))
        argb = (argb & 0xFF000000) | ((argb << 4) & 0xFFFFFF) | HexDigit(c);
    }
    palette[line[0]] = argb;
  }
  for (int y = 0; y < image.height; ++y) {
    std::string_view row = lines[1 + colours + y];
    if (row.size() != static_cast<size_t>(image.width)) return false;
    for (char c : row) image.pixels.push_back(palette.count(c) != 0 ? palette[c] : 0);
  }
  return true;
}

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// An ICO file of one image: the directory, then a bitmap of twice the height (colour rows,
// bottom row first, then the 1-bit mask, rows padded to 4 bytes).
std::string FormatIco(const Image& image) {
  const uint32_t mask_row = static_cast<uint32_t>((image.width + 31) / 32 * 4);
  const uint32_t bitmap_size = 40 + static_cast<uint32_t>(image.width * image.height * 4) +
                               mask_row * static_cast<uint32_t>(image.height);
  std::string out;
  PutLe(out, 0, 2);
  PutLe(out, 1, 2);  // an icon
  PutLe(out, 1, 2);  // one image
  out += static_cast<char>(image.width);
  out += static_cast<char>(image.height);
  PutLe(out, 0, 2);  // no palette
  PutLe(out, 1, 2);  // planes
  PutLe(out, 32, 2);
  PutLe(out, bitmap_size, 4);
  PutLe(out, 22, 4);
  PutLe(out, 40, 4);
  PutLe(out, static_cast<uint32_t>(image.width), 4);
  PutLe(out, static_cast<uint32_t>(image.height * 2), 4);
  PutLe(out, 1, 2);
  PutLe(out, 32, 2);
  for (int i = 0; i < 6; ++i) PutLe(out, 0, 4);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x)
      PutLe(out, image.pixels[static_cast<size_t>(y * image.width + x)], 4);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    std::string row(mask_row, '\0');
    for (int x = 0; x < image.width; ++x) {
      if ((image.pixels[static_cast<size_t>(y * image.width + x)] >> 24) == 0)
        row[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
    }
    out += row;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_icon OUTPUT.ico\n", stderr);
    return 2;
  }
  Image image;
  if (!ReadXpm(icon128_xpm, image)) {
    std::fputs("make_icon: the icon image cannot be read\n", stderr);
    return 1;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << FormatIco(image);
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
