// Shared helpers of the texture library tests: literal ACE builders and temporary folders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/texconv/ace.h"

namespace texconv_test {

using Bytes = std::vector<uint8_t>;

// Bytes from hex text such as "53 49 4d"; white space between pairs is ignored.
Bytes HexBytes(const std::string& hex);

void AppendU32(Bytes& out, uint32_t value);

// ACE data start: the 152-byte header with these fields, then one descriptor per channel
// (1 bit for the mask, 8 for the others). The offset table and rows are for the caller.
Bytes MakeAceHeader(uint32_t flags, uint32_t width, uint32_t height, uint32_t surface,
                    const std::vector<texconv::AceChannel>& channels);

// The ACE data with its SIMIS wrapper: plain "SIMISA@@@@@@@@@@" + data.
Bytes WrapPlain(const Bytes& ace_data);
// "SIMISA@F", size_field, "@@@@", then zlib of `deflated` (by default the same as ace_data).
Bytes WrapCompressed(const Bytes& ace_data, uint32_t size_field);

// The worked 2 x 2 example texture (254 bytes) and its TGA (34 bytes).
Bytes WorkedExampleAce();
Bytes WorkedExampleTga();

// A picture whose pixel (x, y) is (x * 16 + y, y * 16 + x, x ^ y, alpha_of(x, y)).
texconv::RgbaImage MakeTestImage(uint32_t width, uint32_t height, bool with_alpha);

// RGBA of pixel (x, y) of image, as four bytes packed into one number 0xRRGGBBAA.
uint32_t PixelAt(const texconv::RgbaImage& image, uint32_t x, uint32_t y);

// A new empty folder under the system's temporary folder, removed by the destructor.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Names of the entries in the folder, sorted.
  std::vector<std::string> List() const { return ListFolder(path_); }
  static std::vector<std::string> ListFolder(const std::string& path);

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace texconv_test
