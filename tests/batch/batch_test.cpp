// Whole collections through shapewright-cli: folders as sources, one result line per vehicle,
// the tree written, the report, collisions, and the same output for every number of jobs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "base/paths.h"
#include "batch/report.h"
#include "tests/cli/cli_run.h"
#include "tests/ffedit/shape_encoder.h"

extern char** environ;

namespace {

using namespace cli_test;

std::string CompressedShape(const std::string& blocks_text) {
  ffedit_test::Bytes file =
      ffedit_test::WrapCompressedShape(ffedit_test::EncodeShapeBlocks(blocks_text));
  return std::string(file.begin(), file.end());
}

std::string Description(const std::string& shape, const std::string& extra = "") {
  return ShapeText("Wagon ( x\nWagonShape ( " + shape + " )\nSize ( 3m 4m 14.5m )\n" + extra +
                   ")\n");
}

std::string ExampleTexture(const std::string& name = "loco_bogie.ace") {
  return test::ReadFile(std::string(SW_EXAMPLES) + "/" + name);
}

// A wagon set/name.wag on set/shape.s (moved by x) with its texture car.ace.
void WriteWagon(const TempFolder& folder, const std::string& set, const std::string& name,
                const std::string& x, const std::string& texture = ExampleTexture()) {
  folder.Write(set + "/" + name + ".wag", Description(name + ".s"));
  folder.Write(set + "/" + name + ".s", ShapeWithTexture("car.ace", x));
  folder.Write(set + "/car.ace", texture);
}

// Two sets: a loaded and an empty car on one shape with its texture; a nested engine on a
// compressed shape; a wagon whose texture is missing; a wagon that cannot be read.
void MakeCollection(const TempFolder& folder) {
  folder.Write("TS/SetA/CAR_LD.WAG", Description("car.s", "Mass ( 30t )\n"));
  folder.Write("TS/SetA/car_empty.wag", Description("Car.s", "Mass ( 20t )\n"));
  folder.Write("TS/SetA/Car.S", ShapeWithTexture("car.ace"));
  folder.Write("TS/SetA/car.ace", ExampleTexture());
  folder.Write("TS/SetB/Nested/LOCO.Eng",
               Description("loco.s", "MaxPower ( 1500kW )\nMaxVelocity ( 60mph )\n"));
  folder.Write("TS/SetB/Nested/loco.s", CompressedShape(ffedit_test::ReadTestData("full.txt")));
  folder.Write("TS/SetB/box.wag", Description("box.s"));
  folder.Write("TS/SetB/box.s", ShapeWithTexture("lost.ace"));
  std::filesystem::create_symlink("nowhere.wag", folder.File("TS/SetB/gone.wag"));
}

// Every file below root with its bytes.
std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.is_regular_file())
      files[std::filesystem::relative(entry.path(), root).string()] =
          test::ReadFile(entry.path().string());
  }
  return files;
}

TEST(Batch, FolderSourceWritesOneFolderPerVehicleAndOneLinePerVehicle) {
  TempFolder folder;
  MakeCollection(folder);
  CliRun run = RunCli(folder.path(), "-j 1 -o OUT --report report.csv TS");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "ok  TS/SetA/CAR_LD.WAG -> OUT/SetA/CAR_LD/car.stk (2 components, 1 texture)\n"
            "ok  TS/SetA/car_empty.wag -> OUT/SetA/car_empty/car.stk (2 components, 1 texture)\n"
            "ok  TS/SetB/Nested/LOCO.Eng -> OUT/SetB/Nested/LOCO/loco.stk (4 components, 0 "
            "textures, 3 warnings)\n"
            "ok  TS/SetB/box.wag -> OUT/SetB/box/box.stk (2 components, 0 textures, 1 warning)\n"
            "FAILED TS/SetB/gone.wag: No such file or directory\n"
            "converted 4 of 5 vehicles, 1 failed, 4 warnings, 3 textures missing\n");
  EXPECT_EQ(run.err,
            "TS/SetB/Nested/loco_ASC.s: warning: texture \"db_track1w.ace\" not found\n"
            "TS/SetB/Nested/loco_ASC.s: warning: texture \"my \\\"tex\\\".ace\" not found\n"
            "TS/SetB/Nested/loco_ASC.s: warning: the model file holds 3 numbers that its readers "
            "refuse: not finite, or beyond 10000000 mm\n"
            "TS/SetB/box.s: warning: texture \"lost.ace\" not found\n"
            "TS/SetB/gone.wag: error: No such file or directory\n");
  std::map<std::string, std::string> tree = Tree(folder.File("OUT"));
  std::vector<std::string> names;
  for (const auto& [name, bytes] : tree) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"SetA/CAR_LD/car.stk", "SetA/CAR_LD/car.tga",
                                             "SetA/car_empty/car.stk", "SetA/car_empty/car.tga",
                                             "SetB/Nested/LOCO/loco.stk", "SetB/box/box.stk"}));
  // The loaded and the empty car share a shape, not a model: each has its own weight.
  EXPECT_NE(test::WithoutCarriageReturns(tree["SetA/CAR_LD/car.stk"]).find("\tWeight\t30\n"), npos);
  EXPECT_NE(test::WithoutCarriageReturns(tree["SetA/car_empty/car.stk"]).find("\tWeight\t20\n"),
            npos);
  EXPECT_TRUE(FileExists(folder.File("TS/SetB/Nested/loco_ASC.s")));
  EXPECT_EQ(test::ReadFile(folder.File("report.csv")),
            "source,model_file,status,reason,warnings,textures_converted,textures_missing,"
            "length_m,weight,power,tractive_effort,max_speed\r\n"
            "TS/SetA/CAR_LD.WAG,OUT/SetA/CAR_LD/car.stk,ok,,0,1,0,14.5,30,,,0\r\n"
            "TS/SetA/car_empty.wag,OUT/SetA/car_empty/car.stk,ok,,0,1,0,14.5,20,,,0\r\n"
            "TS/SetB/Nested/LOCO.Eng,OUT/SetB/Nested/LOCO/loco.stk,ok,,3,0,2,14.5,,1500,,96\r\n"
            "TS/SetB/box.wag,OUT/SetB/box/box.stk,ok,,1,0,1,14.5,,,,0\r\n"
            "TS/SetB/gone.wag,,failed,No such file or directory,0,0,0,,,,,\r\n");
}

// A folder that refuses the twin (a dangling link holds its name), and a run asked to write
// nothing beside the sources: the same models from a private copy of the text, and warnings
// that name the user's shape.
TEST(Batch, SourcesNotWrittenGiveTheSameModels) {
  TempFolder writable, refused, untouched;
  for (const TempFolder* f : {&writable, &refused, &untouched}) {
    MakeCollection(*f);
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

TEST(Batch, EveryNumberOfJobsGivesTheSameTreeAndOutput) {
  TempFolder one, four;
  for (const TempFolder* f : {&one, &four}) {
    MakeCollection(*f);
    // More vehicles than jobs, so that they overtake each other.
    for (int copy = 0; copy < 6; ++copy)
      WriteWagon(*f, "TS/Copy" + std::to_string(copy), "w", std::to_string(copy));
  }
  for (const char* verbose : {"", " -v"}) {
    CliRun serial = RunCli(one.path(), std::string("-j 1 -o OUT --report r.csv TS") + verbose);
    CliRun parallel = RunCli(four.path(), std::string("-j4 -o OUT --report r.csv TS") + verbose);
    EXPECT_EQ(serial.status, 1);
    EXPECT_EQ(parallel.status, serial.status);
    EXPECT_EQ(parallel.out, serial.out);
    EXPECT_EQ(parallel.err, serial.err);
    EXPECT_EQ(Tree(four.File("OUT")), Tree(one.File("OUT")));
    EXPECT_EQ(test::ReadFile(four.File("r.csv")), test::ReadFile(one.File("r.csv")));
  }
}

TEST(Batch, FileSourcesThatCollideNeverReplaceEarlierFiles) {
  TempFolder folder;
  WriteWagon(folder, "A", "car", "1");
  WriteWagon(folder, "B", "car", "2");
  // Another picture under the same texture name.
  WriteWagon(folder, "C", "other", "1", ExampleTexture("loco_cab.ace"));
  CliRun run = RunCli(folder.path(), "-q -o out A/car.wag A/car.wag B/car.wag C/other.wag");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "B/car.wag: error: out/car.stk was already written for A/car.wag in this run\n"
            "C/other.wag: error: out/car.tga was already written for A/car.wag in this run\n");
  EXPECT_EQ(run.out,
            "FAILED B/car.wag: out/car.stk was already written for A/car.wag in this run\n"
            "FAILED C/other.wag: out/car.tga was already written for A/car.wag in this run\n"
            "converted 2 of 4 vehicles, 2 failed, 0 warnings, 0 textures missing\n");
  // The first vehicle's files are there, and nothing of the failed ones.
  EXPECT_NE(test::ReadFile(folder.File("out/car.stk")).find("1000"), npos);
  EXPECT_FALSE(FileExists(folder.File("out/other.stk")));
}

TEST(CsvField, QuotesWhatRfc4180Asks) {
  const std::pair<const char*, const char*> cases[] = {{"plain", "plain"},
                                                       {"a,b", "\"a,b\""},
                                                       {"say \"hi\"", "\"say \"\"hi\"\"\""},
                                                       {"two\nlines", "\"two\nlines\""},
                                                       {"", ""}};
  for (const auto& [text, field] : cases) EXPECT_EQ(CsvField(text), field) << text;
}

}  // namespace
