// A whole conversion through the shape converter's command line: the converter loads
// libtexconv.so from its own folder and the output folder gets the model file and one TGA per
// texture, under the names its Skin lines give; a broken texture leaves no TGA.
#include <gtest/gtest.h>

#include "tests/texconv/support.h"
#include "tools/texconv/ace_write.h"
#include "tools/texconv/tga.h"

namespace {

using namespace texconv_test;
using test::ReadBytes;

// One triangle drawn with each of three images, on a single root matrix.
const char kShape[] = R"(SIMISA@@@@@@@@@@JINX0s1t______

shape (
points ( 3
point ( 0 0 0 )
point ( 1 0 0 )
point ( 0 1 0 )
)
uv_points ( 1
uv_point ( 0 0 )
)
normals ( 1
vector ( 0 0 1 )
)
matrices ( 1
matrix MAIN ( 1 0 0 0 1 0 0 0 1 0 0 0 )
)
images ( 3
image ( Body.ace )
image ( BOGIE.ace )
image ( cut.ace )
)
vtx_states ( 1
vtx_state ( 00000000 0 -5 0 00000002 )
)
prim_states ( 3
prim_state ( 00000000 0
tex_idxs ( 1 0 ) 0 0 1 1 1
)
prim_state ( 00000000 0
tex_idxs ( 1 1 ) 0 0 1 1 1
)
prim_state ( 00000000 0
tex_idxs ( 1 2 ) 0 0 1 1 1
)
)
lod_controls ( 1
hierarchy ( 1 -1 )
sub_objects ( 1
sub_object (
sub_object_header ( 00000400 -1 -1 000001d2 000001c4
)
vertices ( 3
vertex ( 00000000 0 0 ffffffff ff000000
vertex_uvs ( 1 0 )
)
vertex ( 00000000 1 0 ffffffff ff000000
vertex_uvs ( 1 0 )
)
vertex ( 00000000 2 0 ffffffff ff000000
vertex_uvs ( 1 0 )
)
)
vertex_sets ( 0 )
primitives ( 6
prim_state_idx ( 0 )
indexed_trilist (
vertex_idxs ( 3 0 1 2 )
normal_idxs ( 1 0 3 )
flags ( 1 00000000 )
)
prim_state_idx ( 1 )
indexed_trilist (
vertex_idxs ( 3 0 1 2 )
normal_idxs ( 1 0 3 )
flags ( 1 00000000 )
)
prim_state_idx ( 2 )
indexed_trilist (
vertex_idxs ( 3 0 1 2 )
normal_idxs ( 1 0 3 )
flags ( 1 00000000 )
)
)
)
)
)
)
)";

TEST(ShapeConversion, WritesTheModelAndTheTexturesItsSkinLinesName) {
  test::TempFolder folder;
  texconv::AceWriteOptions options;
  options.mipmaps = true;
  options.dxt1 = true;
  options.compress = true;
  options.channels = kRgbMask;
  Bytes bogie = texconv::EncodeAceFile(MakeTestImage(16, 16, true), options);
  Bytes cut = WorkedExampleAce();
  cut.resize(200);
  // Named on disk in other letter cases than in the shape: the converter matches either.
  folder.Write("src/Body.ACE", WorkedExampleAce());
  folder.Write("src/bogie.ace", bogie);
  folder.Write("src/cut.ace", cut);
  folder.Write("src/loco.s", test::ShapeText(kShape));
  folder.Write("out/keep", "");
  test::ProgramRun run = test::RunProgram(
      SHAPEWRIGHT_CLI_PATH, {"--output-dir", folder.File("out") + "/", folder.File("src/loco.s")});
  ASSERT_EQ(run.status, 0) << run.err;

  EXPECT_EQ(folder.List("out"),
            (std::vector<std::string>{"body.tga", "bogie.tga", "keep", "loco.stk"}));
  std::string model = test::ReadFile(folder.File("out/loco.stk"));
  for (const char* skin : {"Skin \"body.tga\"", "Skin \"bogie.tga\"", "Skin \"cut.tga\""})
    EXPECT_NE(model.find(skin), std::string::npos) << skin;
  EXPECT_NE(model.find("##\tbody.ace\r\n##\tbogie.ace\r\n##\tcut.ace\r\n"), std::string::npos);
  EXPECT_EQ(ReadBytes(folder.File("out/body.tga")), WorkedExampleTga());
  texconv::RgbaImage image;
  std::string reason;
  ASSERT_TRUE(texconv::DecodeAceFile(bogie, image, reason)) << reason;
  EXPECT_EQ(ReadBytes(folder.File("out/bogie.tga")), texconv::EncodeTga(image));
}

}  // namespace
