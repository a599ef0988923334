// What only Linux gives the batch tests a way to make: a name that leads nowhere, a limit on
// file sizes, and an interrupt by signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/paths.h"
#include "tests/batch/batch_support.h"

extern char** environ;

namespace {

using namespace batch_test;
using namespace cli_test;

// A folder that refuses the twin (a dangling link holds its name), and a run asked to write
// nothing beside the sources: the same models from a private copy of the text, and warnings
// that name the user's shape.
TEST(Batch, SourcesNotWrittenGiveTheSameModels) {
  TempFolder writable, refused, untouched;
  std::vector<std::unique_ptr<test::UnreadableFile>> gone;
  for (const TempFolder* f : {&writable, &refused, &untouched}) {
    gone.push_back(MakeCollection(*f));
    f->Write("TS/SetB/Nested/db_track1w.ace", ExampleTexture());  // found beside the shape
  }
  std::filesystem::create_symlink("gone", refused.File("TS/SetB/Nested/loco_ASC.s"));
  RunCli(writable.path(), "-j 1 -o OUT TS");
  CliRun warned = RunCli(refused.path(), "-j 2 -o OUT TS");
  CliRun asked = RunCli(untouched.path(), "-v --read-only-sources -o OUT TS");
  EXPECT_EQ(Tree(refused.File("OUT")), Tree(writable.File("OUT")));
  EXPECT_EQ(Tree(untouched.File("OUT")), Tree(writable.File("OUT")));
  EXPECT_FALSE(FileExists(untouched.File("TS/SetB/Nested/loco_ASC.s")));
  const std::string texture = "TS/SetB/Nested/loco.s: warning: texture \"my \\\"tex\\\".ace\"";
  EXPECT_NE(asked.err.find(texture), npos) << asked.err;
  EXPECT_NE(asked.out.find("\nDecompressed text kept in OUT/.shapewright-"), npos);
  EXPECT_NE(warned.err.find("TS/SetB/Nested/loco.s: warning: cannot write loco_ASC.s beside it "
                            "(File exists); its text is kept in OUT/.shapewright-"),
            npos)
      << warned.err;
  EXPECT_NE(warned.out.find("(4 components, 1 texture, 3 warnings)"), npos);
}

// Files may grow to 1 KiB only, as on a full disk: the error names the user's file, not the
// working one, and the earlier model stays as it was.
TEST(Batch, AFailedWriteNamesTheUsersFileAndReplacesNothing) {
  TempFolder folder;
  folder.Write("car.s", test::ShapeText(test::ReadTestData("hierarchy.s.txt")));
  RunCli(folder.path(), "-o OUT car.s");
  const std::string earlier = test::ReadFile(folder.File("OUT/car.stk"));
  CliRun run = test::RunProgram("/bin/sh",
                                {"-c", "trap '' XFSZ; ulimit -f 2; exec \"$0\" \"$@\"", SW_CLI,
                                 "--length", "9", "-o", "OUT", "car.s"},
                                folder.path(), {});
  EXPECT_EQ(run.out,
            "FAILED car.s: OUT/car.stk: File too large; nothing was replaced\n"
            "converted 0 of 1 vehicle, 1 failed, 3 warnings, 3 textures missing\n");
  EXPECT_EQ(test::ReadFile(folder.File("OUT/car.stk")), earlier);
  EXPECT_EQ(Tree(folder.File("OUT")).size(), 1u);  // no working folder left
}

// Interrupted at its first result line, a run leaves finished vehicles only and no working
// folder; a later run removes the working folders that no live run holds.
TEST(Batch, AnInterruptedRunLeavesOnlyFinishedVehicles) {
  TempFolder folder;
  for (int i = 0; i < 300; ++i) WriteWagon(folder, "TS/S" + std::to_string(i), "w", "1");
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addchdir_np(&actions, folder.path().c_str());
  const char* argv[] = {SW_CLI, "-j", "2", "-o", "OUT", "TS", nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, SW_CLI, &actions, nullptr, const_cast<char**>(argv), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  for (char c = 0; read(out[0], &c, 1) == 1 && c != '\n';) {
  }
  kill(child, SIGINT);
  int status = 0;
  waitpid(child, &status, 0);
  close(out[0]);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  std::map<std::string, std::string> tree = Tree(folder.File("OUT"));
  EXPECT_GE(tree.size(), 2u);
  for (const auto& [name, bytes] : tree) {
    EXPECT_EQ(name.find(".shapewright-"), npos) << name;
    EXPECT_EQ(tree.count(FolderOf(name) + "/w.stk") + tree.count(FolderOf(name) + "/car.tga"), 2u);
  }
  for (const char* left : {"OUT/.shapewright-dead/.lock", "OUT/.shapewright-live/.lock"})
    folder.Write(left, "");
  int live = open(folder.File("OUT/.shapewright-live/.lock").c_str(), O_RDONLY);
  ASSERT_EQ(flock(live, LOCK_EX), 0);
  RunCli(folder.path(), "-o OUT TS/S0");
  EXPECT_FALSE(FileExists(folder.File("OUT/.shapewright-dead")));
  EXPECT_TRUE(FileExists(folder.File("OUT/.shapewright-live/.lock")));
  close(live);
}

}  // namespace
