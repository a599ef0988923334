// Writes a shape token tree as the UTF-16 text form of a shape.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "binary_shape.h"
#include "buffers.h"

namespace ffedit {

// Line length limits of wrapped value lists, in characters (a tab counts one).
constexpr size_t kFirstLineLimit = 959;
constexpr size_t kContinuationLineLimit = 995;

// Appends the text form of tree to text: the byte-order mark U+FEFF,
// "SIMISA@@@@@@@@@@", the subheader with 't' for 'b', an empty line, then every top-level
// block, each followed by CR LF. Lists wrap at kFirstLineLimit / kContinuationLineLimit,
// except hierarchy, which stays on one line. Strings with white space, parentheses or
// quotes, and empty strings, are written in double quotes with \ and " escaped.
void WriteShapeText(const ShapeTree& tree, TextBuffer& text);

// Appends only the blocks of tree, top-level blocks at depth 0, by the same rules.
void WriteShapeBlocks(const ShapeTree& tree, TextBuffer& text);

}  // namespace ffedit
