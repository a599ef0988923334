// A whole conversion through the shape converter's command line: the converter loads
// libtexconv.so from its own folder and the output folder gets the model file and one TGA per
// texture, under the names its Skin lines give; a broken texture leaves no TGA.
#include <gtest/gtest.h>

#include "tests/engine/test_support.h"
#include "tests/texconv/support.h"
#include "tools/texconv/tga.h"

namespace {

using namespace texconv_test;
using test::ReadBytes;

// One triangle drawn with each of the images, on a single root matrix.
std::string MakeShape(const std::vector<std::string>& images) {
  ShapeParts parts;
  const std::string count = std::to_string(images.size());
  std::string primitives = "primitives ( " + std::to_string(2 * images.size()) + "\n";
  parts.images = "images ( " + count + "\n";
  parts.prim_states = "prim_states ( " + count + "\n";
  for (size_t i = 0; i < images.size(); ++i) {
    std::string n = std::to_string(i);
    parts.images += "image ( " + images[i] + " )\n";
    parts.prim_states += "prim_state ( 00000000 0\ntex_idxs ( 1 " + n + " ) 0 0 1 1 1\n)\n";
    primitives += "prim_state_idx ( " + n + " )\n" + Trilist("3 0 1 2");
  }
  parts.images += ")\n";
  parts.prim_states += ")\n";
  parts.points = "points ( 3\npoint ( 0 0 0 )\npoint ( 1 0 0 )\npoint ( 0 1 0 )\n)\n";
  parts.sub_objects = "sub_objects ( 1\n" +
                      SubObject(Vertices({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}), primitives + ")\n") +
                      ")\n";
  return BuildShape(parts);
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
  folder.Write("src/loco.s", ShapeText(MakeShape({"Body.ace", "BOGIE.ace", "cut.ace"})));
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
