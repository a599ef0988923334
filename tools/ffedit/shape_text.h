// Writes a shape token tree as the UTF-16 text form of a shape, and the number formats of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "binary_shape.h"
#include "buffers.h"

namespace ffedit {

// Longest text a Format* function writes (no terminator is written).
constexpr size_t kMaxNumberText = 14;

// Line length limits of wrapped value lists, in characters (a tab counts one).
constexpr size_t kFirstLineLimit = 959;
constexpr size_t kContinuationLineLimit = 995;

// C "%g" of the float widened to double, with exact ties rounded away from zero and at least
// three exponent digits: 2.6, -0.02002, 1.5e-005, 1e+006, -0 for negative zero; inf, -inf, nan.
size_t FormatFloat(float value, char* out);
// The same by way of a 21-digit decimal expansion; slower, used for magnitudes the exact
// integer path does not cover.
size_t FormatFloatByDigits(float value, char* out);
size_t FormatUint(uint32_t value, char* out);   // %u
size_t FormatSint(uint32_t bits, char* out);    // %d of the two's complement value
size_t FormatDword(uint32_t value, char* out);  // %08x

// Appends the text form of tree to text: the byte-order mark U+FEFF,
// "SIMISA@@@@@@@@@@", the subheader with 't' for 'b', an empty line, then every top-level
// block, each followed by CR LF. Lists wrap at kFirstLineLimit / kContinuationLineLimit,
// except hierarchy, which stays on one line. Strings with white space, parentheses or
// quotes, and empty strings, are written in double quotes with \ and " escaped.
void WriteShapeText(const ShapeTree& tree, TextBuffer& text);

// Appends only the blocks of tree, top-level blocks at depth 0, by the same rules.
void WriteShapeBlocks(const ShapeTree& tree, TextBuffer& text);

}  // namespace ffedit
