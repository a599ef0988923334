// Whole collections through shapewright-cli: folders as sources, one result line per vehicle,
// the tree written, the report, collisions, and the same output for every number of jobs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "batch/report.h"
#include "tests/cli/cli_run.h"
#include "tests/engine/test_support.h"
#include "tests/ffedit/shape_encoder.h"

namespace {

using cli_test::CliRun;
using cli_test::RunCli;

std::string ShapeWithTexture(const std::string& texture, const std::string& x = "0") {
  ShapeParts parts;
  parts.images = "images ( 1\nimage ( " + texture + " )\n)\n";
  parts.matrices = "matrices ( 1\nmatrix MAIN ( 1 0 0 0 1 0 0 0 1 " + x + " 0 0 )\n)\n";
  parts.sub_objects = "sub_objects ( 1\n" +
                      SubObject(Vertices({{0, 0, 0}}), "primitives ( 2\nprim_state_idx ( 0 )\n" +
                                                           Trilist("3 0 0 0") + ")\n") +
                      ")\n";
  return ShapeText(BuildShape(parts));
}

std::string CompressedShape(const std::string& blocks_text) {
  std::vector<uint8_t> blocks;
  std::string problem;
  EXPECT_TRUE(ffedit_test::EncodeShapeBlocks(blocks_text, blocks, problem)) << problem;
  std::vector<uint8_t> file = ffedit_test::WrapCompressedShape(blocks);
  return std::string(file.begin(), file.end());
}

std::string Description(const std::string& shape, const std::string& extra = "") {
  return ShapeText("Wagon ( x\nWagonShape ( " + shape + " )\nSize ( 3m 4m 14.5m )\n" + extra +
                   ")\n");
}

std::string ExampleTexture() {
  return test::ReadFile(std::string(SW_EXAMPLES) + "/loco_bogie.ace");
}

// Two sets: a loaded and an empty car on one shape with its texture; a nested engine on a
// compressed shape; a wagon whose texture is missing; a wagon that cannot be read.
void MakeCollection(const std::string& root) {
  namespace fs = std::filesystem;
  fs::create_directories(root + "/TS/SetA");
  fs::create_directories(root + "/TS/SetB/Nested");
  test::WriteFile(root + "/TS/SetA/CAR_LD.WAG", Description("car.s", "Mass ( 30t )\n"));
  test::WriteFile(root + "/TS/SetA/car_empty.wag", Description("Car.s", "Mass ( 20t )\n"));
  test::WriteFile(root + "/TS/SetA/Car.S", ShapeWithTexture("car.ace"));
  test::WriteFile(root + "/TS/SetA/car.ace", ExampleTexture());
  test::WriteFile(root + "/TS/SetB/Nested/LOCO.Eng",
                  Description("loco.s", "MaxPower ( 1500kW )\nMaxVelocity ( 60mph )\n"));
  test::WriteFile(root + "/TS/SetB/Nested/loco.s",
                  CompressedShape(ffedit_test::ReadTestData("full.txt")));
  test::WriteFile(root + "/TS/SetB/box.wag", Description("box.s"));
  test::WriteFile(root + "/TS/SetB/box.s", ShapeWithTexture("lost.ace"));
  fs::create_symlink("nowhere.wag", root + "/TS/SetB/gone.wag");
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
  MakeCollection(folder.path());
  CliRun run = RunCli(folder.path(), "-j 1 -o OUT --report report.csv TS");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "ok  TS/SetA/CAR_LD.WAG -> OUT/SetA/CAR_LD/car.stk (2 components, 1 texture)\n"
            "ok  TS/SetA/car_empty.wag -> OUT/SetA/car_empty/car.stk (2 components, 1 texture)\n"
            "ok  TS/SetB/Nested/LOCO.Eng -> OUT/SetB/Nested/LOCO/loco.stk (4 components, 0 "
            "textures, 2 warnings)\n"
            "ok  TS/SetB/box.wag -> OUT/SetB/box/box.stk (2 components, 0 textures, 1 warning)\n"
            "FAILED TS/SetB/gone.wag: No such file or directory\n"
            "converted 4 of 5 vehicles, 1 failed, 3 warnings, 3 textures missing\n");
  EXPECT_EQ(run.err,
            "warning: TS/SetB/Nested/loco_ASC.s: texture \"db_track1w.ace\" not found\n"
            "warning: TS/SetB/Nested/loco_ASC.s: texture \"my \\\"tex\\\".ace\" not found\n"
            "warning: TS/SetB/box.s: texture \"lost.ace\" not found\n"
            "error: TS/SetB/gone.wag: No such file or directory\n");
  std::map<std::string, std::string> tree = Tree(folder.path() + "/OUT");
  std::vector<std::string> names;
  for (const auto& [name, bytes] : tree) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"SetA/CAR_LD/car.stk", "SetA/CAR_LD/car.tga",
                                             "SetA/car_empty/car.stk", "SetA/car_empty/car.tga",
                                             "SetB/Nested/LOCO/loco.stk", "SetB/box/box.stk"}));
  // The loaded and the empty car share a shape, not a model: each has its own weight.
  EXPECT_NE(WithoutCarriageReturns(tree["SetA/CAR_LD/car.stk"]).find("\tWeight\t30\n"),
            std::string::npos);
  EXPECT_NE(WithoutCarriageReturns(tree["SetA/car_empty/car.stk"]).find("\tWeight\t20\n"),
            std::string::npos);
  // The compressed shape got its text twin beside it.
  EXPECT_TRUE(FileExists(folder.path() + "/TS/SetB/Nested/loco_ASC.s"));
  EXPECT_EQ(test::ReadFile(folder.path() + "/report.csv"),
            "source,model_file,status,reason,warnings,textures_converted,textures_missing,"
            "length_m,weight,power,tractive_effort,max_speed\r\n"
            "TS/SetA/CAR_LD.WAG,OUT/SetA/CAR_LD/car.stk,ok,,0,1,0,14.5,30,,,0\r\n"
            "TS/SetA/car_empty.wag,OUT/SetA/car_empty/car.stk,ok,,0,1,0,14.5,20,,,0\r\n"
            "TS/SetB/Nested/LOCO.Eng,OUT/SetB/Nested/LOCO/loco.stk,ok,,2,0,2,14.5,,1500,,96\r\n"
            "TS/SetB/box.wag,OUT/SetB/box/box.stk,ok,,1,0,1,14.5,,,,0\r\n"
            "TS/SetB/gone.wag,,failed,No such file or directory,0,0,0,,,,,\r\n");
}

TEST(Batch, EveryNumberOfJobsGivesTheSameTreeAndOutput) {
  TempFolder one, four;
  MakeCollection(one.path());
  MakeCollection(four.path());
  // More vehicles than jobs, so that they overtake each other.
  for (const TempFolder* f : {&one, &four}) {
    for (int copy = 0; copy < 6; ++copy) {
      std::string set = f->path() + "/TS/Copy" + std::to_string(copy);
      std::filesystem::create_directories(set);
      test::WriteFile(set + "/w.wag", Description("w.s"));
      test::WriteFile(set + "/w.s", ShapeWithTexture("car.ace", std::to_string(copy)));
      test::WriteFile(set + "/car.ace", ExampleTexture());
    }
  }
  CliRun serial = RunCli(one.path(), "-j 1 -o OUT --report r.csv TS");
  CliRun parallel = RunCli(four.path(), "-j4 -o OUT --report r.csv TS");
  EXPECT_EQ(serial.status, 1);
  EXPECT_EQ(parallel.status, serial.status);
  EXPECT_EQ(parallel.out, serial.out);
  EXPECT_EQ(parallel.err, serial.err);
  EXPECT_EQ(Tree(four.path() + "/OUT"), Tree(one.path() + "/OUT"));
  EXPECT_EQ(test::ReadFile(four.path() + "/r.csv"), test::ReadFile(one.path() + "/r.csv"));
  CliRun verbose_serial = RunCli(one.path(), "-j 1 -v -o OUT2 TS");
  CliRun verbose_parallel = RunCli(four.path(), "-j 4 -v -o OUT2 TS");
  EXPECT_EQ(verbose_parallel.out, verbose_serial.out);
  EXPECT_NE(verbose_serial.out.find("== TS/SetB/box.wag\nReading description file\n"),
            std::string::npos);
}

TEST(Batch, FileSourcesThatCollideNeverReplaceEarlierFiles) {
  TempFolder folder;
  for (const char* set : {"A", "B", "C"})
    std::filesystem::create_directory(folder.path() + "/" + set);
  test::WriteFile(folder.path() + "/A/car.wag", Description("car.s"));
  test::WriteFile(folder.path() + "/A/car.s", ShapeWithTexture("car.ace", "1"));
  test::WriteFile(folder.path() + "/A/car.ace", ExampleTexture());
  test::WriteFile(folder.path() + "/B/car.wag", Description("car.s"));
  test::WriteFile(folder.path() + "/B/car.s", ShapeWithTexture("car.ace", "2"));
  test::WriteFile(folder.path() + "/B/car.ace", ExampleTexture());
  // Another picture under the same texture name.
  test::WriteFile(folder.path() + "/C/other.wag", Description("other.s"));
  test::WriteFile(folder.path() + "/C/other.s", ShapeWithTexture("car.ace", "1"));
  test::WriteFile(folder.path() + "/C/car.ace",
                  test::ReadFile(std::string(SW_EXAMPLES) + "/loco_cab.ace"));
  CliRun run = RunCli(folder.path(), "-q -o out A/car.wag A/car.wag B/car.wag C/other.wag");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "error: B/car.wag: out/car.stk was already written for A/car.wag in this run\n"
            "error: C/other.wag: out/car.tga was already written for A/car.wag in this run\n");
  EXPECT_EQ(run.out,
            "FAILED B/car.wag: out/car.stk was already written for A/car.wag in this run\n"
            "FAILED C/other.wag: out/car.tga was already written for A/car.wag in this run\n"
            "converted 2 of 4 vehicles, 2 failed, 0 warnings, 0 textures missing\n");
  // The first vehicle's files are there, and nothing of the failed ones.
  EXPECT_NE(test::ReadFile(folder.path() + "/out/car.stk").find("1000"), std::string::npos);
  EXPECT_FALSE(FileExists(folder.path() + "/out/other.stk"));
}

TEST(Batch, ShapesOptionTakesTheShapesNoDescriptionNames) {
  TempFolder folder;
  std::string set = folder.path() + "/F";
  std::filesystem::create_directory(set);
  test::WriteFile(set + "/a.wag", Description("A.s"));
  for (const char* name : {"a.s", "b.s", "b_ASC.s", "c_ASC.S"})
    test::WriteFile(set + "/" + name, ShapeWithTexture("t.ace"));
  CliRun run = RunCli(folder.path(), "-q -o out --shapes --report r.csv F");
  EXPECT_EQ(run.status, 0) << run.err;
  std::string report = test::ReadFile(folder.path() + "/r.csv");
  std::vector<std::string> sources;
  for (size_t at = report.find("\r\n") + 2; at < report.size(); at = report.find("\r\n", at) + 2)
    sources.push_back(report.substr(at, report.find(',', at) - at));
  EXPECT_EQ(sources, (std::vector<std::string>{"F/a.wag", "F/b.s", "F/c_ASC.S"}));
  EXPECT_TRUE(FileExists(folder.path() + "/out/b/b.stk"));
  EXPECT_EQ(RunCli(folder.path(), "-o out2 F").status, 0);
  EXPECT_EQ(RunCli(folder.path(), "-o out3 --jobs 0 F").status, 2);
}

TEST(Batch, FolderWithoutVehiclesFails) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() + "/empty");
  CliRun run = RunCli(folder.path(), "-o out empty");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "error: empty: no ENG or WAG file below this folder\n");
  EXPECT_EQ(run.out, "converted 0 of 0 vehicles, 0 failed, 0 warnings, 0 textures missing\n");
}

TEST(CsvField, QuotesWhatRfc4180Asks) {
  struct Case {
    const char* text;
    const char* field;
  } cases[] = {{"plain", "plain"},
               {"a,b", "\"a,b\""},
               {"say \"hi\"", "\"say \"\"hi\"\"\""},
               {"two\nlines", "\"two\nlines\""},
               {"", ""}};
  for (const Case& c : cases) EXPECT_EQ(CsvField(c.text), c.field) << c.text;
}

}  // namespace
