// The assembly section, the texture list and the calls into the texture library.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "tests/engine/test_support.h"

namespace {

// Runs a conversion with the stand-in library recording its calls; returns them.
struct TextureRun {
  explicit TextureRun(const std::string& images, const std::string& shape_folder = "",
                      const std::string& output_suffix = "") {
    calls_file = folder.path() + "/calls.txt";
    setenv("SW_TEXCONV_LOG", calls_file.c_str(), 1);
    ShapeParts parts;
    parts.images = images;
    parts.sub_objects = "sub_objects ( 0 )\n";
    std::string source_folder = folder.path() + shape_folder;
    std::filesystem::create_directories(source_folder);
    options.SourcePath = source_folder + "/loco.s";
    test::WriteFile(options.SourcePath, ShapeText(BuildShape(parts)));
    options.OutputDirectory = folder.path() + "/out" + output_suffix;
    std::filesystem::create_directories(folder.path() + "/out");
    ok = RunConversion(options, log);
    calls = test::ReadFile(calls_file);
    unsetenv("SW_TEXCONV_LOG");
    model = WithoutCarriageReturns(test::ReadFile(folder.path() + "/out/loco.stk"));
  }
  TempFolder folder;
  std::string calls_file;
  ConversionOptions options;
  RecordingLog log;
  bool ok = false;
  std::string calls;
  std::string model;
};

TEST(WriteAssemblySection, ListsEveryTextureAndConvertsItBesideTheModel) {
  TextureRun t(
      "images ( 3\nimage ( surface.ace )\nimage ( Ace_Plain.bmp )\nimage ( sub\\Deck.ACE )\n)\n",
      "/trains.ace");
  ASSERT_TRUE(t.ok);
  const std::string& f = t.folder.path();
  EXPECT_EQ(t.calls, f + "/trains.ace/surface.ace|" + f + "/out/surface.tga\n" + f +
                         "/trains.ace/ace_plain.bmp|" + f + "/out/ace_plain.bmp\n" + f +
                         "/trains.ace/sub/deck.ace|" + f + "/out/sub/deck.tga\n");
  EXPECT_NE(
      t.model.find(
          "\n\n##--## Assembly ##--##\n\n##  Textures used\n##\tsurface.ace\n##\tace_plain.bmp\n"
          "##\tsub\\deck.ace\n\nName loco\nMillimetric\nLength 0\n\n"),
      std::string::npos);
  std::vector<std::string> logged(t.log.lines.begin() + 8, t.log.lines.begin() + 13);
  EXPECT_EQ(logged, (std::vector<std::string>{"Writing assembly", "Converting Textures",
                                              "\tTexture: surface.ace", "\tTexture: ace_plain.bmp",
                                              "\tTexture: sub\\deck.ace"}));
}

TEST(WriteAssemblySection, NoImagesStillWritesTheHeading) {
  TextureRun t("images ( 0 )\n");
  ASSERT_TRUE(t.ok);
  EXPECT_NE(t.model.find("##--## Assembly ##--##\n\n##  Textures used\n\nName loco\n"),
            std::string::npos);
  EXPECT_EQ(t.calls, "");
}

TEST(WriteAssemblySection, OutputDirectoryWithTrailingSeparatorDoublesIt) {
  TextureRun t("images ( 1\nimage ( a.ace )\n)\n", "", "/");
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.calls, t.folder.path() + "/a.ace|" + t.folder.path() + "/out//a.tga\n");
}

TEST(WriteAssemblySection, NamesThatLeaveTheOutputFolderAreListedButNotConverted) {
  TextureRun t(
      "images ( 5\nimage ( ../../etc/x.ace )\nimage ( /tmp/y.ace )\nimage ( a\\..\\..\\z.ace )\n"
      "image ( c:\\w.ace )\nimage ( \"ok..name.ace\" )\n)\n");
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.calls, t.folder.path() + "/ok..name.ace|" + t.folder.path() + "/out/ok..name.tga\n");
  EXPECT_NE(t.model.find("##\t../../etc/x.ace\n##\t/tmp/"
                         "y.ace\n##\ta\\..\\..\\z.ace\n##\tc:\\w.ace\n##\tok..name.ace\n"),
            std::string::npos);
}

TEST(WriteAssemblySection, TextureSourceIsFoundWithoutRegardToCase) {
  TempFolder folder;
  std::string calls_file = folder.path() + "/calls.txt";
  setenv("SW_TEXCONV_LOG", calls_file.c_str(), 1);
  std::filesystem::create_directories(folder.path() + "/Trains");
  test::WriteFile(folder.path() + "/Trains/Loco_Body.ACE", "x");
  ShapeParts parts;
  parts.images = "images ( 1\nimage ( loco_body.ace )\n)\n";
  parts.sub_objects = "sub_objects ( 0 )\n";
  test::WriteFile(folder.path() + "/Trains/LOCO.S", ShapeText(BuildShape(parts)));
  ConversionOptions options;
  options.SourcePath = folder.path() + "/trains/loco.s";
  options.OutputDirectory = folder.path();
  RecordingLog log;
  EXPECT_TRUE(RunConversion(options, log));
  unsetenv("SW_TEXCONV_LOG");
  EXPECT_EQ(test::ReadFile(calls_file),
            folder.path() + "/Trains/Loco_Body.ACE|" + folder.path() + "/loco_body.tga\n");
  EXPECT_TRUE(FileExists(folder.path() + "/loco.stk"));
}

}  // namespace
