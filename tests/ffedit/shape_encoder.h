// Test helper: turns the text form of shape blocks back into binary blocks, by the token
// table, so that hand-written text shapes can be fed to the reader in their binary forms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ffedit_test {

using Bytes = std::vector<uint8_t>;

// The blocks of text (8-bit, no file header) as binary blocks; throws std::runtime_error when
// the text does not follow the table.
Bytes EncodeShapeBlocks(std::string_view text);
// The same, false with problem set instead of throwing.
bool EncodeShapeBlocks(std::string_view text, Bytes& blocks, std::string& problem);

// The content of a binary shape: the subheader "JINX0s1b______" CR LF, then the blocks.
Bytes MakeContent(const Bytes& blocks);
// "SIMISA@@@@@@@@@@", then the content.
Bytes WrapBinaryShape(const Bytes& blocks);
// "SIMISA@F", the stated size (by default the content's), "@@@@", the content's zlib stream.
Bytes WrapCompressedShape(const Bytes& blocks, int64_t stated_size = -1);

// The UTF-16 file the tool writes for these text blocks (lines ending in "\n"): FF FE, the
// header line, an empty line, then the text, lines ending in CR LF.
std::string MakeTextFile(std::string_view blocks_text);
// UTF-16 text as little-endian bytes.
std::string Utf16Bytes(std::u16string_view text);
// A text shape of the test data folder, lines ending in "\n".
std::string ReadTestData(const std::string& name);

}  // namespace ffedit_test
