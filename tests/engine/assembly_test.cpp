// The assembly section, the texture list and the calls into the texture library.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "tests/engine/test_support.h"

namespace {

// Conversions of shapes naming images, with the stand-in library recording its calls. The
// shape is written at written (below the folder), read as source and converted into output.
struct TextureRun {
  void Convert(const std::string& images, const std::string& source = "/loco.s",
               const std::string& output = "/out", const std::string& written = "") {
    ShapeParts parts;
    parts.images = images;
    parts.sub_objects = "sub_objects ( 0 )\n";
    folder.Write((written.empty() ? source : written).substr(1), ShapeText(BuildShape(parts)));
    std::filesystem::create_directories(folder.File("out"));
    std::string calls_file = folder.File("calls.txt");
    test::SetEnv("SW_TEXCONV_LOG", calls_file.c_str());
    ConversionOptions options;
    options.SourcePath = folder.path() + source;
    options.OutputDirectory = folder.path() + output;
    ok = RunConversion(options, log);
    test::SetEnv("SW_TEXCONV_LOG", nullptr);
    calls = test::ReadFile(calls_file);
    model = WithoutCarriageReturns(test::ReadFile(folder.File("out/loco.stk")));
  }
  TempFolder folder;
  RecordingLog log;
  bool ok = false;
  std::string calls;
  std::string model;
};

// A name outside ASCII keeps its Latin-1 bytes in the model file, and is looked for and written
// under its name in UTF-8.
TEST(WriteAssemblySection, ListsEveryTextureAndConvertsItBesideTheModel) {
  TextureRun t;
  t.Convert(
      "images ( 3\nimage ( surface.ace )\nimage ( Ace_Plain.bmp )\nimage ( sub\\D\xC9.ACE )\n)\n",
      "/trains.ace/loco.s");
  ASSERT_TRUE(t.ok);
  const std::string& f = t.folder.path();
  EXPECT_EQ(t.calls, f + "/trains.ace/surface.ace|" + f + "/out/surface.tga\n" + f +
                         "/trains.ace/ace_plain.bmp|" + f + "/out/ace_plain.bmp\n" + f +
                         "/trains.ace/sub/d\xC3\x89.ace|" + f + "/out/sub/d\xC3\x89.tga\n");
  EXPECT_NE(
      t.model.find(
          "\n\n##--## Assembly ##--##\n\n##  Textures used\n##\tsurface.ace\n##\tace_plain.bmp\n"
          "##\tsub\\d\xC9.ace\n\nName loco\nMillimetric\nLength 0\n\n"),
      std::string::npos);
}

TEST(WriteAssemblySection, NamesThatLeaveTheOutputFolderAreListedButNotConverted) {
  TextureRun t;
  t.Convert(
      "images ( 5\nimage ( ../../etc/x.ace )\nimage ( /tmp/y.ace )\nimage ( a\\..\\..\\z.ace )\n"
      "image ( c:\\w.ace )\nimage ( \"ok..name.ace\" )\n)\n");
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.calls, t.folder.path() + "/ok..name.ace|" + t.folder.path() + "/out/ok..name.tga\n");
  EXPECT_NE(t.model.find("##\t../../etc/x.ace\n##\t/tmp/"
                         "y.ace\n##\ta\\..\\..\\z.ace\n##\tc:\\w.ace\n##\tok..name.ace\n"),
            std::string::npos);
}

}  // namespace
