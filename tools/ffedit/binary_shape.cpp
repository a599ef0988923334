#include "binary_shape.h"

#include <cstring>

#include "simis_file.h"

namespace ffedit {
namespace {

constexpr size_t kBlockHeaderSize = 9;  // token id, token table, length, label length
// A block holds a child only through its schema, and no token contains itself, so real
// nesting stays shallow; the limit only guards against a damaged table.
constexpr int kMaxDepth = 32;

struct Reader {
  const ShapeTokenTable& table;
  const uint8_t* data;
  size_t pos;
  uint64_t offset_base;
  bool decompressed;
  bool any_top_level;  // fragments: every token may stand at the top level
  ShapeTree& tree;
  ReadError& error;
};

uint16_t ReadUint16At(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t ReadUint32At(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool Fail(Reader& reader, std::string_view token, size_t pos, std::string what) {
  reader.error.token = std::string(token);
  reader.error.offset = reader.offset_base + pos;
  reader.error.in_decompressed_data = reader.decompressed;
  reader.error.what = std::move(what);
  return false;
}

std::string ListAllowed(const Reader& reader, const SchemaItem& item) {
  std::string names;
  for (uint16_t i = 0; i < item.allowed_count; ++i) {
    if (i) names += " or ";
    names += reader.table.tokens[reader.table.allowed[item.allowed_first + i]].name;
  }
  return names;
}

// Adds the count values at reader.pos to the tree, extending the run just before them when
// it has their type.
void AppendValues(Reader& reader, ValueType type, size_t count) {
  std::vector<ShapeItem>& items = reader.tree.items;
  reader.tree.value_count += count;
  if (!items.empty() && items.back().kind == ShapeItemKind::kValues && items.back().type == type &&
      items.back().first + 4 * size_t{items.back().count} == reader.pos) {
    items.back().count += static_cast<uint32_t>(count);
  } else {
    ShapeItem item;
    item.kind = ShapeItemKind::kValues;
    item.type = type;
    item.count = static_cast<uint32_t>(count);
    item.first = static_cast<uint32_t>(reader.pos);
    items.push_back(item);
  }
  reader.pos += 4 * count;
}

// Reads n UTF-16 code units at reader.pos into the tree's text; the caller checked the bounds.
uint32_t ReadUtf16(Reader& reader, size_t n) {
  uint32_t start = static_cast<uint32_t>(reader.tree.text.size());
  for (size_t i = 0; i < n; ++i) {
    reader.tree.text.push_back(
        static_cast<char16_t>(ReadUint16At(reader.data + reader.pos + 2 * i)));
  }
  reader.pos += 2 * n;
  return start;
}

// Reads repeat values of type (a string is always one).
bool ReadValues(Reader& reader, int token, ValueType type, size_t repeat, size_t end) {
  const std::string_view name = reader.table.tokens[static_cast<size_t>(token)].name;
  if (type == ValueType::kString) {
    if (end - reader.pos < 2) {
      return Fail(reader, name, reader.pos, "string length expected, block ends");
    }
    size_t n = ReadUint16At(reader.data + reader.pos);
    if ((end - reader.pos - 2) / 2 < n) {
      return Fail(reader, name, reader.pos,
                  "string of " + std::to_string(n) + " characters runs past the end of the block");
    }
    reader.pos += 2;
    ShapeItem item;
    item.kind = ShapeItemKind::kString;
    item.count = static_cast<uint32_t>(n);
    item.first = ReadUtf16(reader, n);
    reader.tree.items.push_back(item);
    return true;
  }
  size_t left = end - reader.pos;
  if (left < 4 * repeat) {
    return Fail(reader, name, reader.pos + left / 4 * 4, "value expected, block ends");
  }
  AppendValues(reader, type, repeat);
  return true;
}

// The token item allows for a block with this id (a context-only variant where the schema
// names one); -1 when item allows none with this id.
int FindAllowedChild(const Reader& reader, const SchemaItem& item, uint32_t id) {
  for (uint16_t i = 0; i < item.allowed_count; ++i) {
    uint16_t allowed = reader.table.allowed[item.allowed_first + i];
    if (reader.table.tokens[allowed].id == id) return allowed;
  }
  return -1;
}

bool ReadBlock(Reader& reader, const SchemaItem* allowed_by, size_t parent_end, int depth);

bool ReadItems(Reader& reader, int token, size_t end, int depth) {
  const TokenSchema& schema = reader.table.tokens[static_cast<size_t>(token)];
  if (schema.fixed_size != 0 && end - reader.pos == schema.fixed_size) {
    // Numbers only, and exactly the bytes they take: most blocks of a shape.
    for (uint16_t i = 0; i < schema.items_count; ++i) {
      const SchemaItem& item = reader.table.items[schema.items_first + i];
      AppendValues(reader, item.types[0], item.repeat);
    }
    return true;
  }
  const std::string_view name = schema.name;
  uint32_t count = 0;  // the last uint read, for "count*" items
  for (uint16_t i = 0; i < schema.items_count; ++i) {
    const SchemaItem& item = reader.table.items[schema.items_first + i];
    size_t left = end - reader.pos;
    switch (item.kind) {
      case SchemaItemKind::kValue:
        if (item.optional && left == 0) break;
        if (!ReadValues(reader, token, item.types[0], item.repeat, end)) return false;
        if (item.types[0] == ValueType::kUint) count = ReadUint32At(reader.data + reader.pos - 4);
        break;
      case SchemaItemKind::kChild:
        // An optional child is there when the next bytes can be a block of an allowed token.
        if (item.optional) {
          if (left < kBlockHeaderSize) break;
          if (FindAllowedChild(reader, item, ReadUint16At(reader.data + reader.pos)) < 0) break;
        }
        if (!ReadBlock(reader, &item, end, depth + 1)) return false;
        break;
      case SchemaItemKind::kCountedValues: {
        size_t bytes_each = 4u * item.type_count;
        if (count > left / bytes_each) {
          return Fail(reader, name, reader.pos,
                      "count " + std::to_string(count) + " runs past the end of the block");
        }
        bool one_type = item.type_count == 1 || item.types[0] == item.types[1];
        if (one_type && item.types[0] != ValueType::kString) {
          // One type throughout: the values are taken in one piece.
          AppendValues(reader, item.types[0], size_t{count} * item.type_count);
          break;
        }
        for (uint32_t n = 0; n < count; ++n) {
          for (uint8_t t = 0; t < item.type_count; ++t) {
            if (!ReadValues(reader, token, item.types[t], 1, end)) return false;
          }
        }
        break;
      }
      case SchemaItemKind::kCountedChildren:
        if (count > left / kBlockHeaderSize) {
          return Fail(reader, name, reader.pos,
                      "count " + std::to_string(count) + " runs past the end of the block");
        }
        for (uint32_t n = 0; n < count; ++n) {
          if (!ReadBlock(reader, &item, end, depth + 1)) return false;
        }
        break;
      case SchemaItemKind::kRestChildren:
        while (reader.pos < end) {
          if (!ReadBlock(reader, &item, end, depth + 1)) return false;
        }
        break;
    }
  }
  if (reader.pos != end) {
    return Fail(reader, name, reader.pos,
                std::to_string(end - reader.pos) + " bytes left in the block after its last value");
  }
  return true;
}

// Reads the block at reader.pos, which must end by parent_end and be one of the tokens
// allowed_by names (any shape top-level block when null).
bool ReadBlock(Reader& reader, const SchemaItem* allowed_by, size_t parent_end, int depth) {
  size_t start = reader.pos;
  if (parent_end - start < kBlockHeaderSize) {
    const char* what = allowed_by ? "block header expected, the enclosing block ends"
                                  : "block header expected, the file ends";
    return Fail(reader, allowed_by ? ListAllowed(reader, *allowed_by) : "shape", start, what);
  }
  uint16_t id = ReadUint16At(reader.data + start);
  int allowed = allowed_by ? FindAllowedChild(reader, *allowed_by, id) : -1;
  int token = allowed >= 0 ? allowed : FindTokenById(reader.table, id);
  if (token < 0) return Fail(reader, "token " + std::to_string(id), start, "unknown token id");
  std::string_view name = reader.table.tokens[static_cast<size_t>(token)].name;
  if (allowed_by && allowed < 0) {
    return Fail(reader, name, start,
                "not allowed here: " + ListAllowed(reader, *allowed_by) + " expected");
  }
  // A shape first; exporter data may follow it.
  if (!allowed_by && !reader.any_top_level && name != "shape" &&
      !(name == "max_data" && !reader.tree.items.empty())) {
    return Fail(reader, name, start, "not allowed at the top level: shape expected");
  }
  const TokenSchema& schema = reader.table.tokens[static_cast<size_t>(token)];
  if (!schema.layout_known) {
    return Fail(reader, name, start,
                schema.text_only ? "a token of the text form only"
                                 : "the layout of this token's values is unknown");
  }
  uint16_t table_id = ReadUint16At(reader.data + start + 2);
  if (table_id != 0) {
    return Fail(reader, name, start + 2,
                "token table " + std::to_string(table_id) + " is not the shape table 0");
  }
  uint32_t length = ReadUint32At(reader.data + start + 4);
  if (length > parent_end - start - 8) {
    return Fail(
        reader, name, start + 4,
        "block length " + std::to_string(length) + " runs past the end of the enclosing block");
  }
  if (length < 1) {
    return Fail(reader, name, start + 4, "block length 0 leaves no room for the label length");
  }
  if (depth > kMaxDepth) return Fail(reader, name, start, "blocks nested too deeply");
  size_t end = start + 8 + length;
  size_t label_length = reader.data[start + 8];
  reader.pos = start + kBlockHeaderSize;
  if ((end - reader.pos) / 2 < label_length) {
    return Fail(reader, name, start + 8, "the label runs past the end of the block");
  }
  // Numbers of one type only, exactly as many as the schema reads: one tree entry.
  if (label_length == 0 && schema.fixed_one_type && length - 1 == schema.fixed_size) {
    ShapeItem leaf;
    leaf.kind = ShapeItemKind::kLeaf;
    leaf.type = reader.table.items[schema.items_first].types[0];
    leaf.token = static_cast<uint16_t>(token);
    leaf.count = schema.fixed_size / 4;
    leaf.first = static_cast<uint32_t>(reader.pos);
    reader.tree.items.push_back(leaf);
    reader.tree.value_count += leaf.count;
    reader.pos = end;
    return true;
  }
  ShapeItem open;
  open.kind = ShapeItemKind::kOpen;
  open.token = static_cast<uint16_t>(token);
  open.count = static_cast<uint32_t>(label_length);
  open.first = ReadUtf16(reader, label_length);
  reader.tree.items.push_back(open);
  if (!ReadItems(reader, token, end, depth)) return false;
  ShapeItem close;
  close.kind = ShapeItemKind::kClose;
  close.token = static_cast<uint16_t>(token);
  reader.tree.items.push_back(close);
  return true;
}

// Empties tree, keeping the capacity of its arrays for the next shape.
void ClearTree(ShapeTree& tree, const uint8_t* data) {
  std::memset(tree.subheader, 0, sizeof tree.subheader);
  tree.data = data;
  tree.items.clear();
  tree.value_count = 0;
  tree.text.clear();
}

}  // namespace

bool ReadBinaryShape(const uint8_t* content, size_t size, uint64_t offset_base, bool decompressed,
                     ShapeTree& tree, ReadError& error) {
  ClearTree(tree, content);
  Reader reader{GetShapeTokenTable(), content, 0, offset_base, decompressed, false, tree, error};
  if (size > kMaxContentSize) {
    return Fail(reader, "shape", 0, "the content is larger than this tool handles");
  }
  if (size < 16) {
    return Fail(reader, "subheader", 0, "the content ends inside its 16-byte subheader");
  }
  if (std::memcmp(content, "JINX0", 5) != 0)
    return Fail(reader, "subheader", 0, "\"JINX0\" expected");
  if (content[7] == 't') return Fail(reader, "subheader", 7, "8-bit text shapes are not supported");
  if (content[7] != 'b') return Fail(reader, "subheader", 7, "'b' expected for binary content");
  std::memcpy(tree.subheader, content, 16);
  // A block of a few values takes some 20 bytes and three items.
  tree.items.reserve(size / 8);
  reader.pos = 16;
  if (size == 16) return Fail(reader, "shape", 16, "no shape block");
  while (reader.pos < size) {
    if (!ReadBlock(reader, nullptr, size, 0)) return false;
  }
  return true;
}

bool ReadShapeBlocks(const uint8_t* blocks, size_t size, ShapeTree& tree, ReadError& error) {
  ClearTree(tree, blocks);
  Reader reader{GetShapeTokenTable(), blocks, 0, 0, false, true, tree, error};
  if (size > kMaxContentSize) {
    return Fail(reader, "blocks", 0, "the blocks are larger than this tool handles");
  }
  while (reader.pos < size) {
    if (!ReadBlock(reader, nullptr, size, 0)) return false;
  }
  return true;
}

}  // namespace ffedit
