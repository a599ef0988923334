// A whole conversion through the shape converter's command line: the converter loads
// libtexconv.so from its own folder and the output folder gets the model file and one TGA per
// texture, under the names its Skin lines give; a broken texture leaves no TGA.
#include <gtest/gtest.h>

#include "tests/texconv/support.h"
#include "tools/texconv/tga.h"

namespace {

using namespace texconv_test;
using test::ReadBytes;

// One triangle drawn with each of the images, on a single root matrix.
std::string MakeShape(const std::vector<std::string>& images) {
  std::string image_list, prim_states, primitives, vertices;
  for (size_t i = 0; i < images.size(); ++i) {
    std::string n = std::to_string(i);
    image_list += "image ( " + images[i] + " )\n";
    prim_states += "prim_state ( 00000000 0\ntex_idxs ( 1 " + n + " ) 0 0 1 1 1\n)\n";
    primitives += "prim_state_idx ( " + n +
                  " )\nindexed_trilist (\nvertex_idxs ( 3 0 1 2 )\nnormal_idxs ( 1 0 3 )\n"
                  "flags ( 1 00000000 )\n)\n";
  }
  for (int i = 0; i < 3; ++i)
    vertices += "vertex ( 00000000 " + std::to_string(i) + " 0 ffffffff ff000000\n" +
                "vertex_uvs ( 1 0 )\n)\n";
  std::string count = std::to_string(images.size());
  return "SIMISA@@@@@@@@@@JINX0s1t______\n\nshape (\npoints ( 3\npoint ( 0 0 0 )\n"
         "point ( 1 0 0 )\npoint ( 0 1 0 )\n)\nuv_points ( 1\nuv_point ( 0 0 )\n)\n"
         "normals ( 1\nvector ( 0 0 1 )\n)\nmatrices ( 1\nmatrix MAIN ( 1 0 0 0 1 0 0 0 1 0 0 0 "
         ")\n)\n"
         "images ( " +
         count + "\n" + image_list +
         ")\nvtx_states ( 1\nvtx_state ( 00000000 0 -5 0 00000002 )\n)\nprim_states ( " + count +
         "\n" + prim_states +
         ")\nlod_controls ( 1\nhierarchy ( 1 -1 )\nsub_objects ( 1\nsub_object (\n"
         "sub_object_header ( 00000400 -1 -1 000001d2 000001c4\n)\nvertices ( 3\n" +
         vertices + ")\nvertex_sets ( 0 )\nprimitives ( " + std::to_string(2 * images.size()) +
         "\n" + primitives + ")\n)\n)\n)\n)\n";
}

TEST(ShapeConversion, WritesTheModelAndTheTexturesItsSkinLinesName) {
  test::TempFolder folder;
  Bytes bogie = EncodeTestAce(16, 16, true, true, true, kRgbMask);
  Bytes cut = WorkedExampleAce();
  cut.resize(200);
  // Named on disk in other letter cases than in the shape: the converter matches either.
  folder.Write("src/Body.ACE", WorkedExampleAce());
  folder.Write("src/bogie.ace", bogie);
  folder.Write("src/cut.ace", cut);
  folder.Write("src/loco.s", test::ShapeText(MakeShape({"Body.ace", "BOGIE.ace", "cut.ace"})));
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
