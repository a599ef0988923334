// Reads the binary blocks of a shape into a token tree, every block by its token's schema.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "read_error.h"
#include "shape_tokens.h"

namespace ffedit {

enum class ShapeItemKind : uint8_t { kOpen, kClose, kValues, kString, kLeaf };

// One entry of the tree in reading order: a block opens, its values, strings and child blocks
// follow as stored, and it closes. Consecutive values of one type form one kValues run. A
// block of numbers of one type only, without label (a point, a vector), is one kLeaf entry.
struct ShapeItem {
  ShapeItemKind kind = ShapeItemKind::kValues;
  ValueType type = ValueType::kUint;  // kValues, kLeaf: how the values are written
  uint16_t token = 0;                 // kOpen, kClose, kLeaf: index in the token table
  uint32_t count = 0;                 // kValues, kLeaf: values; kOpen (label), kString: text length
  uint32_t first = 0;  // kValues, kLeaf: byte offset in data; else in ShapeTree::text
};

// The values stay where they were read: in the content the tree was read from, which must
// outlive the tree.
struct ShapeTree {
  char subheader[16] = {};        // as stored, "JINX0s1b______" CR LF in a shape
  const uint8_t* data = nullptr;  // the content read, as given to the reader
  std::vector<ShapeItem> items;
  size_t value_count = 0;  // the values of all kValues runs together
  std::u16string text;     // labels and strings, UTF-16 code units
};

// Reads content (the unwrapped data of a binary shape, starting with its 16-byte
// subheader) into tree. Every block must hold exactly what its schema reads, be one of the
// tokens its parent allows and end within its parent; the first top-level block must be a
// shape. Stops at the first fault with error naming the token and the byte offset
// (offset_base + position in content). Nothing the content states makes it read outside
// content or allocate beyond what the content can hold. tree keeps the capacity of its arrays.
bool ReadBinaryShape(const uint8_t* content, size_t size, uint64_t offset_base, bool decompressed,
                     ShapeTree& tree, ReadError& error);

// Reads blocks alone (no subheader) into tree, by the same rules; any token with a known
// layout may stand at the top level. For tools and tests that handle fragments of shapes.
bool ReadShapeBlocks(const uint8_t* blocks, size_t size, ShapeTree& tree, ReadError& error);

}  // namespace ffedit
