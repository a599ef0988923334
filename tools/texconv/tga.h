// Writing a decoded picture as an uncompressed 32-bit TGA file, and the whole conversion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/texconv/ace.h"

namespace texconv {

inline constexpr size_t kTgaHeaderSize = 18;

// The TGA bytes of image: an 18-byte header, then BGRA pixels with 8 alpha bits. Rows are
// stored bottom row first (descriptor 0x08), the form every TGA reader shows upright.
std::vector<uint8_t> EncodeTga(const RgbaImage& image);

// Writes image as EncodeTga does to path, through a temporary file in the same folder that
// is renamed over path only when complete. False with reason set when it cannot be written;
// path is then left as it was.
bool WriteTgaFile(const std::string& path, const RgbaImage& image, std::string& reason);

// Writes the picture of checked ACE data (OpenAceData) as a TGA file, as WriteTgaFile does,
// decoding it slice by slice on the way.
bool WriteAceAsTga(const std::string& path, const AceImageData& image, std::string& reason);

// Reads the ACE file at source_ace and writes its top-level picture to destination_tga.
// False with reason set on any failure, and destination_tga is then left as it was.
bool ConvertAceToTga(const std::string& source_ace, const std::string& destination_tga,
                     std::string& reason);

}  // namespace texconv
