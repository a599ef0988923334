// The built-in token table against facts of the binary form.
#include <gtest/gtest.h>

#include "shape_tokens.h"

namespace {

using ffedit::FindTokenById;
using ffedit::FindTokenByName;
using ffedit::GetShapeTokenTable;

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

TEST(TokenTable, MarksTokensWithoutKnownLayout) {
  EXPECT_FALSE(TokenNamed("quat").layout_known);
  EXPECT_FALSE(TokenNamed("uv_op_diffusemap").layout_known);
  EXPECT_TRUE(TokenNamed("comment").text_only);
  EXPECT_TRUE(TokenNamed("tcb_key").layout_known);
}

}  // namespace
