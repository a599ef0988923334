// What ships besides the core: the ace2tga program (single and folder modes, failure lines,
// exit statuses) and the shared library as the shape converter loads it (exports by name).
#include <gtest/gtest.h>

#include "tests/texconv/support.h"

namespace {

using namespace texconv_test;
using test::ReadBytes;
using test::TempFolder;

test::ProgramRun RunAce2Tga(const std::vector<std::string>& args) {
  return test::RunProgram(ACE2TGA_PATH, args);
}

TEST(Ace2Tga, ConvertsBesideTheSourceToANameOrIntoAFolderNamingEachFailure) {
  TempFolder folder;
  folder.Write("Loco.ACE", WorkedExampleAce());
  test::ProgramRun run = RunAce2Tga({folder.File("Loco.ACE")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(RunAce2Tga({folder.File("Loco.ACE"), folder.File("b.tga")}).status, 0);
  Bytes cut = WorkedExampleAce();
  cut.resize(cut.size() - 3);
  folder.Write("cut.ace", cut);
  folder.Write("out/keep", "");
  run = RunAce2Tga({"-o", folder.File("out"), folder.File("Loco.ACE"), folder.File("cut.ace"),
                    folder.File("none.ace"), folder.File("b.tga")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, folder.File("cut.ace") + ": truncated row 1\n" + folder.File("none.ace") +
                         ": cannot open: No such file or directory\n" + folder.File("b.tga") +
                         ": not a SIMIS file\n");
  for (const char* tga : {"Loco.tga", "b.tga", "out/Loco.tga"})
    EXPECT_EQ(ReadBytes(folder.File(tga)), WorkedExampleTga()) << tga;
  EXPECT_EQ(folder.List(),
            (std::vector<std::string>{"Loco.ACE", "Loco.tga", "b.tga", "cut.ace", "out"}));
  EXPECT_EQ(folder.List("out"), (std::vector<std::string>{"Loco.tga", "keep"}));
  EXPECT_EQ(RunAce2Tga({}).status, 2);
  EXPECT_EQ(RunAce2Tga({"-o", folder.path()}).status, 2);
  EXPECT_EQ(RunAce2Tga({"a.ace", "b.tga", "c.tga"}).status, 2);
}

TEST(TexconvLibrary, ExportsConvertAndCheckByNameAndNothingElse) {
  void* library = test::OpenLibrary(TEXCONV_LIBRARY_PATH);
  ASSERT_NE(library, nullptr);
  using Export = int (*)(const char*, const char*);
  auto ace_to_tga = reinterpret_cast<Export>(test::FindExport(library, "_AceToTga"));
  auto check_ace = reinterpret_cast<Export>(test::FindExport(library, "_CheckAce"));
  ASSERT_NE(ace_to_tga, nullptr);
  ASSERT_NE(check_ace, nullptr);
  TempFolder folder;
  folder.Write("w.ace", WorkedExampleAce());
  Bytes bad = WorkedExampleAce();
  bad[0x24] = 9;  // channel count
  folder.Write("bad.ace", bad);
  Bytes dxt3 = WorkedExampleAce();
  dxt3[0x14] = 0x10;  // raw data flag
  dxt3[0x20] = 0x14;  // DXT3
  folder.Write("dxt3.ace", dxt3);
  EXPECT_EQ(ace_to_tga(folder.File("w.ace").c_str(), folder.File("w.tga").c_str()), 1);
  EXPECT_EQ(ReadBytes(folder.File("w.tga")), WorkedExampleTga());
  // Failures return 0 and write nothing.
  EXPECT_EQ(ace_to_tga(folder.File("bad.ace").c_str(), folder.File("bad.tga").c_str()), 0);
  EXPECT_EQ(ace_to_tga(folder.File("missing.ace").c_str(), folder.File("m.tga").c_str()), 0);
  EXPECT_EQ(ace_to_tga(nullptr, folder.File("n.tga").c_str()), 0);
  EXPECT_EQ(ace_to_tga(folder.File("bad.ace").c_str(), nullptr), 0);
  EXPECT_EQ(check_ace(folder.File("w.ace").c_str(), nullptr), 1);
  EXPECT_EQ(check_ace(folder.File("dxt3.ace").c_str(), "ignored"), 0);
  EXPECT_EQ(check_ace(folder.File("none.ace").c_str(), nullptr), 0);
  EXPECT_EQ(check_ace(nullptr, nullptr), 0);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"bad.ace", "dxt3.ace", "w.ace", "w.tga"}));
  // The core stays hidden (the Itanium name of texconv::EncodeTga).
  EXPECT_EQ(test::FindExport(library, "_AceToBmp"), nullptr);
  EXPECT_EQ(test::FindExport(library, "_ZN7texconv9EncodeTgaERKNS_9RgbaImageE"), nullptr);
}

}  // namespace
