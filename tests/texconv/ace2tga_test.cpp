// The ace2tga program: single and folder modes, failure lines, exit codes.
#include <gtest/gtest.h>

#include "tests/texconv/support.h"

namespace {

using namespace texconv_test;
using test::ReadBytes;

test::ProgramRun RunAce2Tga(const std::vector<std::string>& args) {
  return test::RunProgram(ACE2TGA_PATH, args);
}

TEST(Ace2Tga, ConvertsOneFileBesideItselfOrToTheGivenName) {
  test::TempFolder folder;
  folder.Write("Loco.ACE", WorkedExampleAce());
  test::ProgramRun run = RunAce2Tga({folder.File("Loco.ACE")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadBytes(folder.File("Loco.tga")), WorkedExampleTga());
  EXPECT_EQ(RunAce2Tga({folder.File("Loco.ACE"), folder.File("b.tga")}).status, 0);
  EXPECT_EQ(ReadBytes(folder.File("b.tga")), WorkedExampleTga());
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"Loco.ACE", "Loco.tga", "b.tga"}));
}

TEST(Ace2Tga, ConvertsManyIntoAFolderAndNamesEachFailure) {
  test::TempFolder folder;
  folder.Write("out/keep", "");
  folder.Write("one.ace", WorkedExampleAce());
  Bytes cut = WorkedExampleAce();
  cut.resize(cut.size() - 3);
  folder.Write("cut.ace", cut);
  folder.Write("two.ace", WorkedExampleAce());
  test::ProgramRun run =
      RunAce2Tga({"-o", folder.File("out"), folder.File("one.ace"), folder.File("cut.ace"),
                  folder.File("none.ace"), folder.File("two.ace")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, folder.File("cut.ace") + ": truncated row 1\n" + folder.File("none.ace") +
                         ": cannot open: No such file or directory\n");
  EXPECT_EQ(ReadBytes(folder.File("out/one.tga")), WorkedExampleTga());
  EXPECT_EQ(ReadBytes(folder.File("out/two.tga")), WorkedExampleTga());
  EXPECT_EQ(folder.List("out"), (std::vector<std::string>{"keep", "one.tga", "two.tga"}));
}

TEST(Ace2Tga, UsageErrorsExitWithTwo) {
  test::TempFolder folder;
  EXPECT_EQ(RunAce2Tga({}).status, 2);
  EXPECT_EQ(RunAce2Tga({"-o", folder.path()}).status, 2);
  EXPECT_EQ(RunAce2Tga({"a.ace", "b.tga", "c.tga"}).status, 2);
}

}  // namespace
