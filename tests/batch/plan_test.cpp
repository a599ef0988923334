// Planning a run over fixture trees: which files are vehicles, where each one is written, and
// what is an error; nothing is converted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/plan.h"
#include "tests/common/common.h"

namespace {

std::string Wagon(const std::string& shape) {
  return test::ShapeText("Wagon ( x\nWagonShape ( " + shape + " )\n)\n");
}

struct PlanCase {
  const char* what;
  std::vector<std::pair<std::string, std::string>> files;  // name, content
  std::vector<std::string> sources;
  const char* output_dir;
  bool shapes;
  std::vector<std::string> planned;  // "SOURCE -> OUTPUT FOLDER", paths below the fixture
  std::vector<std::string> errors;   // "FILE: REASON"
};

TEST(PlanVehicles, FindsTheVehiclesOfFoldersAndFilesAndWhereEachGoes) {
  const std::string shape = test::ShapeText("shape (\n");
  const PlanCase cases[] = {
      {"folders: every ENG and WAG file in any letter case, sorted by path, one folder each",
       {{"TS/b/LOCO.Eng", Wagon("loco.s")},
        {"TS/a/car.WAG", Wagon("car.s")},
        {"TS/a/car.s", shape},
        {"TS/a/notes.txt", "x"},
        {"TS/top.wag", Wagon("top.s")}},
       {"TS"},
       "out",
       false,
       {"TS/a/car.WAG -> out/a/car", "TS/b/LOCO.Eng -> out/b/LOCO", "TS/top.wag -> out/top"},
       {}},
      {"files as given go straight into the output folder; the current folder is no prefix",
       {{"one.wag", Wagon("one.s")}, {"two.s", shape}},
       {"two.s", "one.wag", "missing.eng"},
       ".",
       false,
       {"two.s -> ", "one.wag -> ", "missing.eng -> "},
       {}},
      {"an output folder ending in a separator gets no second one",
       {{"F/w.wag", Wagon("w.s")}},
       {"F"},
       "out/",
       false,
       {"F/w.wag -> out/w"},
       {}},
      {"--shapes: shapes no description names (any case), a twin only without its shape",
       {{"F/a.wag", Wagon("A.S")},
        {"F/a.s", shape},
        {"F/b.s", shape},
        {"F/b_ASC.s", shape},
        {"F/c_asc.S", shape},
        {"F/sub/a.s", shape}},
       {"F"},
       "o",
       true,
       {"F/a.wag -> o/a", "F/b.s -> o/b", "F/c_asc.S -> o/c_asc", "F/sub/a.s -> o/sub/a"},
       {}},
      {"without --shapes a folder of shapes holds no vehicle; the other sources still count",
       {{"S/x.s", shape}, {"T/y.wag", Wagon("y.s")}},
       {"S", "T"},
       "o",
       false,
       {"T/y.wag -> o/y"},
       {"S: no ENG or WAG file below this folder"}},
      {"with --shapes an empty folder says that there is no shape either",
       {{"E/readme.txt", "x"}},
       {"E"},
       "o",
       true,
       {},
       {"E: no ENG or WAG file below this folder, and no shape"}},
  };
  for (const PlanCase& c : cases) {
    test::TempFolder folder;
    for (const auto& [name, content] : c.files) folder.Write(name, content);
    std::string root = folder.path() + "/";
    auto below = [&](std::string path) {
      return path.rfind(root, 0) == 0 ? path.substr(root.size()) : path;
    };
    BatchOptions options;
    for (const std::string& source : c.sources) options.sources.push_back(root + source);
    options.output_dir = c.output_dir;
    options.shapes = c.shapes;
    std::vector<PlannedVehicle> vehicles;
    std::vector<FileFailure> errors;
    EXPECT_EQ(PlanVehicles(options, vehicles, errors), c.errors.empty()) << c.what;
    std::vector<std::string> planned, failures;
    for (const PlannedVehicle& v : vehicles)
      planned.push_back(below(v.source) + " -> " + v.output_folder);
    for (const FileFailure& e : errors) failures.push_back(below(e.file) + ": " + e.reason);
    EXPECT_EQ(planned, c.planned) << c.what;
    EXPECT_EQ(failures, c.errors) << c.what;
  }
}

}  // namespace
