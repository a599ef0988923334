// Planning a run over fixture trees: which files are vehicles, where each one is written, and
// what is an error; nothing is converted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/paths.h"
#include "base/text.h"
#include "batch/plan.h"
#include "tests/common/common.h"

namespace {

// Each description file names its own stem with ".S": shapes match in any case.
void WriteTree(const test::TempFolder& folder, const std::string& files) {
  for (const std::string& name : test::Words(files)) {
    std::string lower = ToLowerAscii(name);
    bool description = EndsWith(lower, ".wag") || EndsWith(lower, ".eng");
    folder.Write(name, test::ShapeText(description ? "x\nWagonShape ( " + Stem(name) + ".S )\n"
                                                   : "shape (\n"));
  }
}

TEST(PlanVehicles, FindsTheVehiclesOfFoldersAndFilesAndWhereEachGoes) {
  const struct {
    const char* what;
    const char* files;    // below the fixture, blank-separated
    const char* sources;  // likewise
    const char* output_dir;
    bool shapes;
    std::vector<std::string> planned;      // "SOURCE -> OUTPUT FOLDER"
    std::vector<std::string> errors = {};  // "FILE: REASON"
  } cases[] = {
      {"every ENG and WAG file below a folder, any letter case, by path, a folder each",
       "TS/b/LOCO.Eng TS/a/car.WAG TS/a/car.s TS/a/notes.txt TS/top.wag",
       "TS",
       "out",
       false,
       {"TS/a/car.WAG -> out/a/car", "TS/b/LOCO.Eng -> out/b/LOCO", "TS/top.wag -> out/top"}},
      {"files as given go straight into the output folder; the current folder is no prefix",
       "one.wag two.s",
       "two.s one.wag missing.eng",
       ".",
       false,
       {"two.s -> ", "one.wag -> ", "missing.eng -> "}},
      {"an output folder ending in a separator gets no second one",
       "F/w.wag",
       "F",
       "out/",
       false,
       {"F/w.wag -> out/w"}},
      {"--shapes: the shapes no description names, a twin only without its shape",
       "F/a.wag F/a.s F/b.s F/b_ASC.s F/c_asc.S F/sub/a.s",
       "F",
       "o",
       true,
       {"F/a.wag -> o/a", "F/b.s -> o/b", "F/c_asc.S -> o/c_asc", "F/sub/a.s -> o/sub/a"}},
      {"a folder without vehicles is an error; the other sources still count",
       "S/x.s T/y.wag",
       "S T",
       "o",
       false,
       {"T/y.wag -> o/y"},
       {"S: no ENG or WAG file below this folder"}},
      {"with --shapes an empty folder has no shape either",
       "E/readme.txt",
       "E",
       "o",
       true,
       {},
       {"E: no ENG or WAG file below this folder, and no shape"}},
  };
  for (const auto& c : cases) {
    test::TempFolder folder;
    WriteTree(folder, c.files);
    std::string root = folder.path() + "/";
    auto below = [&](const std::string& path) {
      return path.rfind(root, 0) == 0 ? path.substr(root.size()) : path;
    };
    BatchOptions options;
    for (const std::string& source : test::Words(c.sources))
      options.sources.push_back(root + source);
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
