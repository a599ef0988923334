// The built-in token table against facts of the binary form.
#include <gtest/gtest.h>

#include "shape_tokens.h"

namespace {

using ffedit::FindTokenById;
using ffedit::FindTokenByName;
using ffedit::GetShapeTokenTable;
using ffedit::SchemaItemKind;
using ffedit::ValueType;

const ffedit::TokenSchema& TokenNamed(const char* name) {
  const ffedit::ShapeTokenTable& table = GetShapeTokenTable();
  int index = FindTokenByName(table, name);
  EXPECT_GE(index, 0) << name;
  return table.tokens[static_cast<size_t>(index < 0 ? 0 : index)];
}

TEST(TokenTable, MapsIdsToNames) {
  const ffedit::ShapeTokenTable& table = GetShapeTokenTable();
  const std::pair<int, const char*> known[] = {
      {71, "shape"},      {70, "shape_header"},    {3, "vector"},      {65, "matrix"},
      {67, "hierarchy"},  {60, "indexed_trilist"}, {6, "normal_idxs"}, {64, "flags"},
      {19, "linear_key"}, {245, "max_data"},
  };
  for (auto [id, name] : known) {
    int index = FindTokenById(table, static_cast<uint32_t>(id));
    ASSERT_GE(index, 0) << id;
    EXPECT_EQ(table.tokens[static_cast<size_t>(index)].name, name);
  }
  EXPECT_EQ(FindTokenById(table, 0), -1);
  EXPECT_EQ(FindTokenById(table, 250), -1);
  EXPECT_EQ(FindTokenById(table, 300), -1);
  EXPECT_EQ(FindTokenById(table, 65535), -1);
}

TEST(TokenTable, ReadsTheSchemaNotation) {
  const ffedit::ShapeTokenTable& table = GetShapeTokenTable();
  const ffedit::TokenSchema& normal_idxs = TokenNamed("normal_idxs");
  ASSERT_EQ(normal_idxs.items_count, 2);
  const ffedit::SchemaItem& group = table.items[normal_idxs.items_first + 1];
  EXPECT_EQ(group.kind, SchemaItemKind::kCountedValues);
  EXPECT_EQ(group.type_count, 2);

  const ffedit::TokenSchema& primitives = TokenNamed("primitives");
  const ffedit::SchemaItem& children = table.items[primitives.items_first + 1];
  EXPECT_EQ(children.kind, SchemaItemKind::kCountedChildren);
  ASSERT_EQ(children.allowed_count, 2);
  EXPECT_EQ(table.tokens[table.allowed[children.allowed_first]].name, "prim_state_idx");
  EXPECT_EQ(table.tokens[table.allowed[children.allowed_first + 1]].name, "indexed_trilist");

  const ffedit::TokenSchema& prim_state = TokenNamed("prim_state");
  ASSERT_EQ(prim_state.items_count, 8);
  EXPECT_EQ(table.items[prim_state.items_first + 3].types[0], ValueType::kFloat);
  EXPECT_FALSE(table.items[prim_state.items_first + 4].optional);
  EXPECT_TRUE(table.items[prim_state.items_first + 5].optional);

  const ffedit::TokenSchema& shape = TokenNamed("shape");
  EXPECT_EQ(shape.items_count, 18);
  EXPECT_TRUE(table.items[shape.items_first + 17].optional);
}

TEST(TokenTable, MarksTokensWithoutKnownLayout) {
  EXPECT_FALSE(TokenNamed("quat").layout_known);
  EXPECT_FALSE(TokenNamed("uv_op_diffusemap").layout_known);
  EXPECT_TRUE(TokenNamed("comment").text_only);
  EXPECT_TRUE(TokenNamed("tcb_key").layout_known);
}

TEST(TokenTable, GivesMaxDataItsOwnSubObjects) {
  const ffedit::ShapeTokenTable& table = GetShapeTokenTable();
  const ffedit::TokenSchema& max_data = TokenNamed("max_data");
  const ffedit::SchemaItem& third = table.items[max_data.items_first + 2];
  const ffedit::TokenSchema& variant = table.tokens[table.allowed[third.allowed_first]];
  EXPECT_EQ(variant.name, "sub_objects");
  EXPECT_TRUE(variant.context_only);
  EXPECT_EQ(table.items[variant.items_first + 1].kind, SchemaItemKind::kCountedValues);
  // The ordinary sub_objects, found by id, holds sub_object blocks.
  const ffedit::TokenSchema& ordinary = table.tokens[static_cast<size_t>(FindTokenById(table, 38))];
  EXPECT_FALSE(ordinary.context_only);
  EXPECT_EQ(table.items[ordinary.items_first + 1].kind, SchemaItemKind::kCountedChildren);
}

}  // namespace
