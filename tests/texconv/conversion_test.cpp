// A whole conversion through the shape converter's command line: the converter loads
// libtexconv.so from its own folder and the output folder gets the model file and one TGA per
// texture, under the names its Skin lines give.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "tests/texconv/texconv_test_support.h"
#include "tools/texconv/ace_write.h"
#include "tools/texconv/tga.h"

namespace {

using namespace texconv_test;

// The shape text: UTF-16 little-endian behind its byte-order mark, CR LF line ends.
Bytes EncodeShapeText(const std::vector<std::string>& lines) {
  Bytes out = {0xFF, 0xFE};
  for (const std::string& line : lines) {
    for (char c : line + "\r\n") {
      out.push_back(uint8_t(c));
      out.push_back(0);
    }
  }
  return out;
}

// One triangle drawn twice, with the two images given, on a single root matrix.
std::vector<std::string> MakeShapeLines(const std::string& image0, const std::string& image1) {
  std::vector<std::string> lines = {
      "SIMISA@@@@@@@@@@JINX0s1t______",
      "",
      "shape (",
      "\tshape_header ( 00000000 00000000 )",
      "\tpoints ( 3",
      "\t\tpoint ( 0 0 0 )",
      "\t\tpoint ( 1 0 0 )",
      "\t\tpoint ( 0 1 0 )",
      "\t)",
      "\tuv_points ( 1",
      "\t\tuv_point ( 0 0 )",
      "\t)",
      "\tnormals ( 1",
      "\t\tvector ( 0 0 1 )",
      "\t)",
      "\tmatrices ( 1",
      "\t\tmatrix MAIN ( 1 0 0 0 1 0 0 0 1 0 0 0 )",
      "\t)",
      "\timages ( 2",
      "\t\timage ( " + image0 + " )",
      "\t\timage ( " + image1 + " )",
      "\t)",
      "\ttextures ( 2",
      "\t\ttexture ( 0 0 0 ff000000 )",
      "\t\ttexture ( 1 0 0 ff000000 )",
      "\t)",
      "\tvtx_states ( 1",
      "\t\tvtx_state ( 00000000 0 -5 0 00000002 )",
      "\t)",
      "\tprim_states ( 2",
      "\t\tprim_state ps0 ( 00000000 0",
      "\t\t\ttex_idxs ( 1 0 ) 0 0 1 1 1",
      "\t\t)",
      "\t\tprim_state ps1 ( 00000000 0",
      "\t\t\ttex_idxs ( 1 1 ) 0 0 1 1 1",
      "\t\t)",
      "\t)",
      "\tlod_controls ( 1",
      "\t\tlod_control (",
      "\t\t\tdistance_levels_header ( 0 )",
      "\t\t\tdistance_levels ( 1",
      "\t\t\t\tdistance_level (",
      "\t\t\t\t\tdistance_level_header (",
      "\t\t\t\t\t\tdlevel_selection ( 2000 )",
      "\t\t\t\t\t\thierarchy ( 1 -1 )",
      "\t\t\t\t\t)",
      "\t\t\t\t\tsub_objects ( 1",
      "\t\t\t\t\t\tsub_object (",
      "\t\t\t\t\t\t\tsub_object_header ( 00000400 -1 -1 000001d2 000001c4",
      "\t\t\t\t\t\t\t\tgeometry_info ( 0 0 0 0 0 0 0 0 0 0",
      "\t\t\t\t\t\t\t\t\tgeometry_nodes ( 0 )",
      "\t\t\t\t\t\t\t\t\tgeo_node_map ( 0 )",
      "\t\t\t\t\t\t\t\t)",
      "\t\t\t\t\t\t\t\tsubobject_shaders ( 1 0 )",
      "\t\t\t\t\t\t\t\tsubobject_light_cfgs ( 1 0 ) 0",
      "\t\t\t\t\t\t\t)",
      "\t\t\t\t\t\t\tvertices ( 3",
  };
  for (int v = 0; v < 3; ++v) {
    lines.push_back("\t\t\t\t\t\t\t\tvertex ( 00000000 " + std::to_string(v) +
                    " 0 ffffffff ff000000");
    lines.push_back("\t\t\t\t\t\t\t\t\tvertex_uvs ( 1 0 )");
    lines.push_back("\t\t\t\t\t\t\t\t)");
  }
  const std::vector<std::string> tail = {
      "\t\t\t\t\t\t\t)", "\t\t\t\t\t\t\tvertex_sets ( 1", "\t\t\t\t\t\t\t\tvertex_set ( 0 0 3 )",
      "\t\t\t\t\t\t\t)", "\t\t\t\t\t\t\tprimitives ( 4",
  };
  lines.insert(lines.end(), tail.begin(), tail.end());
  for (int p = 0; p < 2; ++p) {
    lines.push_back("\t\t\t\t\t\t\t\tprim_state_idx ( " + std::to_string(p) + " )");
    lines.push_back("\t\t\t\t\t\t\t\tindexed_trilist (");
    lines.push_back("\t\t\t\t\t\t\t\t\tvertex_idxs ( 3 0 1 2 )");
    lines.push_back("\t\t\t\t\t\t\t\t\tnormal_idxs ( 1 0 3 )");
    lines.push_back("\t\t\t\t\t\t\t\t\tflags ( 1 00000000 )");
    lines.push_back("\t\t\t\t\t\t\t\t)");
  }
  for (int depth = 7; depth >= 0; --depth) lines.push_back(std::string(size_t(depth), '\t') + ")");
  return lines;
}

int RunCli(const std::string& arguments) {
  std::string command = std::string("'") + SHAPEWRIGHT_CLI_PATH + "' " + arguments + " >/dev/null";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The names between double quotes on the model file's Skin lines.
std::set<std::string> ReadSkinNames(const std::string& model) {
  std::set<std::string> names;
  size_t at = 0;
  while ((at = model.find("Skin \"", at)) != std::string::npos) {
    size_t start = at + 6;
    size_t end = model.find('"', start);
    if (end == std::string::npos) break;
    names.insert(model.substr(start, end - start));
    at = end;
  }
  return names;
}

Bytes ExpectedTga(const Bytes& ace_file) {
  texconv::RgbaImage image;
  std::string reason;
  EXPECT_TRUE(texconv::DecodeAceFile(ace_file, image, reason)) << reason;
  return texconv::EncodeTga(image);
}

TEST(ShapeConversion, WritesTheModelAndTheTexturesItsSkinLinesName) {
  TemporaryFolder folder;
  ASSERT_EQ(
      std::system(("mkdir '" + folder.File("src") + "' '" + folder.File("out") + "'").c_str()), 0);
  Bytes body = WorkedExampleAce();
  texconv::AceWriteOptions options;
  options.mipmaps = true;
  options.dxt1 = true;
  options.compress = true;
  options.channels = {texconv::AceChannel::kRed, texconv::AceChannel::kGreen,
                      texconv::AceChannel::kBlue, texconv::AceChannel::kMask};
  Bytes bogie = texconv::EncodeAceFile(MakeTestImage(16, 16, true), options);
  // Named on disk in other letter cases than in the shape: the converter matches either.
  WriteFile(folder.File("src/Body.ACE"), body);
  WriteFile(folder.File("src/bogie.ace"), bogie);
  WriteFile(folder.File("src/loco.s"), EncodeShapeText(MakeShapeLines("Body.ace", "BOGIE.ace")));

  ASSERT_EQ(
      RunCli("--output-dir '" + folder.File("out") + "/' '" + folder.File("src/loco.s") + "'"), 0);

  std::vector<std::string> outputs = TemporaryFolder::ListFolder(folder.File("out"));
  auto model_file = std::find_if(outputs.begin(), outputs.end(), [](const std::string& name) {
    return name.size() > 4 && name.substr(name.size() - 4) == ".stk";
  });
  ASSERT_NE(model_file, outputs.end());
  Bytes model_bytes = ReadFile(folder.File("out/" + *model_file));
  std::string model(model_bytes.begin(), model_bytes.end());
  EXPECT_EQ(ReadSkinNames(model), (std::set<std::string>{"body.tga", "bogie.tga"}));
  EXPECT_NE(model.find("##\tbody.ace\r\n##\tbogie.ace\r\n"), std::string::npos);
  EXPECT_EQ(outputs, (std::vector<std::string>{"body.tga", "bogie.tga", *model_file}));
  EXPECT_EQ(ReadFile(folder.File("out/body.tga")), WorkedExampleTga());
  EXPECT_EQ(ReadFile(folder.File("out/bogie.tga")), ExpectedTga(bogie));
}

TEST(ShapeConversion, ABrokenTextureLeavesNoTgaAndTheRunGoesOn) {
  TemporaryFolder folder;
  Bytes cut = WorkedExampleAce();
  cut.resize(200);
  WriteFile(folder.File("body.ace"), cut);
  WriteFile(folder.File("bogie.ace"), WorkedExampleAce());
  WriteFile(folder.File("loco.s"), EncodeShapeText(MakeShapeLines("body.ace", "bogie.ace")));
  ASSERT_EQ(std::system(("mkdir '" + folder.File("out") + "'").c_str()), 0);
  ASSERT_EQ(RunCli("--output-dir '" + folder.File("out") + "/' '" + folder.File("loco.s") + "'"),
            0);
  std::vector<std::string> outputs = TemporaryFolder::ListFolder(folder.File("out"));
  EXPECT_EQ(outputs.size(), 2u);
  EXPECT_FALSE(FileExists(folder.File("out/body.tga")));
  EXPECT_EQ(ReadFile(folder.File("out/bogie.tga")), WorkedExampleTga());
}

}  // namespace
