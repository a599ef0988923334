// The ace2tga program: single and folder modes, failure lines, exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/texconv/texconv_test_support.h"

namespace {

using namespace texconv_test;

struct ProgramRun {
  int exit_code;
  std::string errors;
};

// Runs ace2tga with arguments (already quoted for the shell), capturing its error output.
ProgramRun RunAce2Tga(const TemporaryFolder& folder, const std::string& arguments) {
  std::string errors = folder.File("stderr.txt");
  std::string command = std::string("'") + ACE2TGA_PATH + "' " + arguments + " 2>'" + errors + "'";
  int status = std::system(command.c_str());
  ProgramRun run;
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(errors);
  std::stringstream text;
  text << in.rdbuf();
  run.errors = text.str();
  std::remove(errors.c_str());
  return run;
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }

TEST(Ace2Tga, ConvertsOneFileBesideItself) {
  TemporaryFolder folder;
  WriteFile(folder.File("Loco.ACE"), WorkedExampleAce());
  ProgramRun run = RunAce2Tga(folder, Quote(folder.File("Loco.ACE")));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(ReadFile(folder.File("Loco.tga")), WorkedExampleTga());
}

TEST(Ace2Tga, ConvertsOneFileToTheGivenName) {
  TemporaryFolder folder;
  WriteFile(folder.File("a.ace"), WorkedExampleAce());
  ProgramRun run =
      RunAce2Tga(folder, Quote(folder.File("a.ace")) + " " + Quote(folder.File("b.tga")));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(ReadFile(folder.File("b.tga")), WorkedExampleTga());
  EXPECT_FALSE(FileExists(folder.File("a.tga")));
}

TEST(Ace2Tga, ConvertsManyIntoAFolderAndNamesEachFailure) {
  TemporaryFolder folder;
  ASSERT_EQ(std::system(("mkdir " + Quote(folder.File("out"))).c_str()), 0);
  WriteFile(folder.File("one.ace"), WorkedExampleAce());
  Bytes cut = WorkedExampleAce();
  cut.resize(cut.size() - 3);
  WriteFile(folder.File("cut.ace"), cut);
  WriteFile(folder.File("two.ace"), WorkedExampleAce());
  ProgramRun run =
      RunAce2Tga(folder, "-o " + Quote(folder.File("out")) + " " + Quote(folder.File("one.ace")) +
                             " " + Quote(folder.File("cut.ace")) + " " +
                             Quote(folder.File("none.ace")) + " " + Quote(folder.File("two.ace")));
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.errors, folder.File("cut.ace") + ": truncated row 1\n" + folder.File("none.ace") +
                            ": cannot open: No such file or directory\n");
  EXPECT_EQ(ReadFile(folder.File("out/one.tga")), WorkedExampleTga());
  EXPECT_EQ(ReadFile(folder.File("out/two.tga")), WorkedExampleTga());
  EXPECT_FALSE(FileExists(folder.File("out/cut.tga")));
}

TEST(Ace2Tga, UsageErrorsExitWithTwo) {
  TemporaryFolder folder;
  EXPECT_EQ(RunAce2Tga(folder, "").exit_code, 2);
  EXPECT_EQ(RunAce2Tga(folder, "-o " + Quote(folder.path())).exit_code, 2);
  EXPECT_EQ(RunAce2Tga(folder, "a.ace b.tga c.tga").exit_code, 2);
}

}  // namespace
