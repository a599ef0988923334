// Whole collections through shapewright-cli: folders as sources, one result line per vehicle,
// the tree written, the report, collisions, and the same output for every number of jobs.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "base/paths.h"
#include "batch/report.h"
#include "tests/batch/batch_support.h"

namespace {

using namespace batch_test;
using namespace cli_test;

TEST(Batch, FolderSourceWritesOneFolderPerVehicleAndOneLinePerVehicle) {
  TempFolder folder;
  auto gone = MakeCollection(folder);
  const std::string reason = test::UnreadableFile::kReason;
  CliRun run = RunCli(folder.path(), "-j 1 -o OUT --report report.csv TS");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "ok  TS/SetA/CAR_LD.WAG -> OUT/SetA/CAR_LD/car.stk (2 components, 1 texture)\n"
            "ok  TS/SetA/car_empty.wag -> OUT/SetA/car_empty/car.stk (2 components, 1 texture)\n"
            "ok  TS/SetB/Nested/LOCO.Eng -> OUT/SetB/Nested/LOCO/loco.stk (4 components, 0 "
            "textures, 3 warnings)\n"
            "ok  TS/SetB/box.wag -> OUT/SetB/box/box.stk (2 components, 0 textures, 1 warning)\n"
            "FAILED TS/SetB/gone.wag: " +
                reason +
                "\n"
                "converted 4 of 5 vehicles, 1 failed, 4 warnings, 3 textures missing\n");
  EXPECT_EQ(run.err,
            "TS/SetB/Nested/loco_ASC.s: warning: texture \"db_track1w.ace\" not found\n"
            "TS/SetB/Nested/loco_ASC.s: warning: texture \"my \\\"tex\\\".ace\" not found\n"
            "TS/SetB/Nested/loco_ASC.s: warning: the model file holds 3 numbers that its readers "
            "refuse: not finite, or beyond 10000000 mm\n"
            "TS/SetB/box.s: warning: texture \"lost.ace\" not found\n"
            "TS/SetB/gone.wag: error: " +
                reason + "\n");
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
            "TS/SetB/gone.wag,,failed," +
                reason + ",0,0,0,,,,,\r\n");
}

TEST(Batch, EveryNumberOfJobsGivesTheSameTreeAndOutput) {
  TempFolder one, four;
  std::vector<std::unique_ptr<test::UnreadableFile>> gone;
  for (const TempFolder* f : {&one, &four}) {
    gone.push_back(MakeCollection(*f));
    // More vehicles than jobs, so that they overtake each other; several on the compressed
    // shape, so that those waiting for its text convert others meanwhile.
    for (int copy = 0; copy < 6; ++copy) {
      WriteWagon(*f, "TS/Copy" + std::to_string(copy), "w", std::to_string(copy));
      f->Write("TS/SetB/Nested/loco" + std::to_string(copy) + ".eng", Description("loco.s"));
    }
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

// A model file that another program holds open (Windows refuses to replace it) fails its own
// vehicle only, naming the file; the file stays as it was and no working folder is left.
TEST(Batch, AModelFileHeldOpenElsewhereFailsOnlyItsVehicle) {
  if (!test::kWindows) GTEST_SKIP() << "Windows only: files held open without sharing";
  TempFolder folder;
  WriteWagon(folder, "TS/A", "w", "1");
  WriteWagon(folder, "TS/B", "w", "2");
  RunCli(folder.path(), "-o OUT TS");
  CliRun run;
  {
    test::UnreadableFile held(folder.File("OUT/A/w/w.stk"));  // emptied, and held
    run = RunCli(folder.path(), "-j 2 -o OUT TS");
  }
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("FAILED TS/A/w.wag: OUT/A/w/w.stk: " +
                         std::string(test::UnreadableFile::kReason)),
            npos)
      << run.out;
  EXPECT_NE(run.out.find("ok  TS/B/w.wag -> OUT/B/w/w.stk"), npos) << run.out;
  EXPECT_EQ(test::ReadFile(folder.File("OUT/A/w/w.stk")), "");
  EXPECT_EQ(Tree(folder.File("OUT")).size(), 4u);  // the models and textures, nothing else
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
  // Folders whose vehicles meet in one new folder: the first moves into it whole, and the
  // second still replaces nothing of it.
  CliRun folders = RunCli(folder.path(), "-q -o fresh A B");
  EXPECT_EQ(folders.err,
            "B/car.wag: error: fresh/car/car.stk was already written for A/car.wag in this run\n");
  EXPECT_NE(test::ReadFile(folder.File("fresh/car/car.stk")).find("1000"), npos);
}

// A texture is decoded once a run and copied to every vehicle that uses that file; another
// folder's picture under the same name stays its own.
TEST(Batch, TexturesSharedInARunAreTheSameFileNotTheSameName) {
  TempFolder folder;
  WriteWagon(folder, "TS/A", "car", "1");
  folder.Write("TS/A/second.wag", Description("car.s"));
  WriteWagon(folder, "TS/B", "car", "2", ExampleTexture("loco_cab.ace"));
  ASSERT_EQ(RunCli(folder.path(), "-q -j 2 -o both TS").status, 0);
  ASSERT_EQ(RunCli(folder.path(), "-q -o alone TS/B").status, 0);
  std::string a = test::ReadFile(folder.File("both/A/car/car.tga"));
  EXPECT_EQ(test::ReadFile(folder.File("both/A/second/car.tga")), a);
  EXPECT_NE(test::ReadFile(folder.File("both/B/car/car.tga")), a);
  EXPECT_EQ(test::ReadFile(folder.File("both/B/car/car.tga")),
            test::ReadFile(folder.File("alone/car/car.tga")));
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
