// Test helper: turns the text form of shape blocks back into binary blocks, by the token
// table, so that hand-written text shapes can be fed to the reader in their binary forms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ffedit_test {

// Encodes the blocks of text (8-bit, no file header) as binary blocks. false with problem set
// when the text does not follow the table.
bool EncodeShapeBlocks(std::string_view text, std::vector<uint8_t>& blocks, std::string& problem);

// "SIMISA@@@@@@@@@@", the subheader "JINX0s1b______" CR LF, then the blocks.
std::vector<uint8_t> WrapBinaryShape(const std::vector<uint8_t>& blocks);
// "SIMISA@F", the size, "@@@@", then subheader and blocks as one zlib stream.
std::vector<uint8_t> WrapCompressedShape(const std::vector<uint8_t>& blocks);
// The content (subheader and blocks) of a binary shape.
std::vector<uint8_t> MakeContent(const std::vector<uint8_t>& blocks);

// The UTF-16 file the tool writes for these text blocks: FF FE, the header line, an empty line,
// then the text widened.
std::string MakeTextFile(std::string_view blocks_text);
// 8-bit text widened to UTF-16 little-endian bytes.
std::string WidenToUtf16(std::string_view text);
// UTF-16 text as little-endian bytes.
std::string Utf16Bytes(std::u16string_view text);

// Reads a text shape of the test data folder, its lines ending in CR LF.
std::string ReadTestData(const std::string& name);

}  // namespace ffedit_test
