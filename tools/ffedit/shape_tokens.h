// The token table of binary shapes: every token's id, name, label rule and the schema of the
// values and child blocks its content holds, in the order they are stored.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ffedit {

enum class ValueType : uint8_t { kUint, kSint, kFloat, kDword, kString };
enum class LabelRule : uint8_t { kNone, kRequired, kOptional };

enum class SchemaItemKind : uint8_t {
  kValue,            // "float x" or "[float x]"
  kChild,            // "<vector>" or "[<animations>]"
  kCountedValues,    // "count*uint vertex" or "count*(uint normal, uint unknown)"
  kCountedChildren,  // "count*<point>" or "count*<prim_state_idx|indexed_trilist>"
  kRestChildren,     // "rest*<a|b>": children until the block ends
};

struct SchemaItem {
  SchemaItemKind kind = SchemaItemKind::kValue;
  bool optional = false;   // present only while the block has bytes left
  uint8_t repeat = 1;      // kValue: that many values of the type ("float x, float y")
  uint8_t type_count = 1;  // kCountedValues: values per repetition (1 or 2)
  ValueType types[2] = {ValueType::kUint, ValueType::kUint};
  uint16_t allowed_first = 0;  // child tokens: range in ShapeTokenTable::allowed
  uint16_t allowed_count = 0;
};

struct TokenSchema {
  uint16_t id = 0;
  std::string_view name;  // as written in the text form
  LabelRule label = LabelRule::kNone;
  bool layout_known = false;  // false: the values are not known, the token cannot be printed
  bool text_only = false;     // a block of the text form only (comment)
  bool context_only = false;  // a variant reached only through its parent's schema
  uint16_t items_first = 0;   // range in ShapeTokenTable::items
  uint16_t items_count = 0;
  // Bytes of content when the schema holds required numbers only (point, matrix, ...); else 0.
  uint16_t fixed_size = 0;
  bool fixed_one_type = false;  // fixed_size != 0 and every number of one type
};

struct ShapeTokenTable {
  std::vector<TokenSchema> tokens;
  std::vector<SchemaItem> items;
  std::vector<uint16_t> allowed;  // token indexes allowed by child items
  int16_t index_by_id[256];       // token index for a block's id, -1 when unknown
};

// The table, built once from the schema texts on first use.
const ShapeTokenTable& GetShapeTokenTable();

// Index of the token a block with this id is read as; -1 when the id is not a shape token.
int FindTokenById(const ShapeTokenTable& table, uint32_t id);

// Index of the token of this text name (context-only variants excluded); -1 when unknown.
int FindTokenByName(const ShapeTokenTable& table, std::string_view name);

}  // namespace ffedit
