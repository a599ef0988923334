// Reads the binary blocks of a shape into a token tree, every block by its token's schema.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "read_error.h"
#include "shape_tokens.h"

namespace ffedit {

enum class ShapeItemKind : uint8_t { kOpen, kClose, kValue, kString };

// One entry of the tree in reading order: a block opens, its values, strings and child blocks
// follow as stored, and it closes.
struct ShapeItem {
  ShapeItemKind kind = ShapeItemKind::kValue;
  ValueType type = ValueType::kUint;  // kValue: how the 32 bits are written
  uint16_t token = 0;                 // kOpen, kClose: index in the token table
  uint32_t value = 0;                 // kValue: the bits; kOpen, kString: text length
  uint32_t text = 0;                  // kOpen (label), kString: offset in ShapeTree::text
};

struct ShapeTree {
  char subheader[16] = {};            // as stored, "JINX0s1b______" CR LF in a shape
  std::vector<ShapeItem> items;
  std::u16string text;                // labels and strings, UTF-16 code units
};

// Reads content (the unwrapped data of a binary shape, starting with its 16-byte
// subheader) into tree. Every block must hold exactly what its schema reads, be one of the
// tokens its parent allows and end within its parent; the first top-level block must be a
// shape. Stops at the first fault with error naming the token and the byte offset
// (offset_base + position in content). Nothing the content states makes it read outside
// content or allocate beyond what the content can hold.
bool ReadBinaryShape(const uint8_t* content, size_t size, uint64_t offset_base,
                     bool decompressed, ShapeTree& tree, ReadError& error);

// Reads blocks alone (no subheader) into tree, by the same rules; any token with a known
// layout may stand at the top level. For tools and tests that handle fragments of shapes.
bool ReadShapeBlocks(const uint8_t* blocks, size_t size, ShapeTree& tree, ReadError& error);

}  // namespace ffedit
