// A conversion where the texture library cannot be found: every texture is still listed.
#include <gtest/gtest.h>

#include "tests/engine/test_support.h"

namespace {

TEST(WriteAssemblySection, WithoutTheLibraryTexturesAreListedAndLogged) {
  ShapeParts parts;
  parts.images = "images ( 2\nimage ( a.ace )\nimage ( b.ace )\n)\n";
  parts.sub_objects = "sub_objects ( 0 )\n";
  Converted c = ConvertShape(BuildShape(parts));
  ASSERT_TRUE(c.ok);
  EXPECT_NE(c.model.find("##  Textures used\n##\ta.ace\n##\tb.ace\n\n"), std::string::npos);
  EXPECT_EQ(c.log.lines[10], "\tTexture: a.ace");
  EXPECT_EQ(c.log.lines[11], "\tTexture: b.ace");
  EXPECT_EQ(c.log.lines.back(), "\r\n***** FINISHED *****\r\n");
}

}  // namespace
