// shapewright-cli as a user runs it: arguments, output streams, exit status, files written.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "tests/cli/cli_run.h"
#include "tests/engine/test_support.h"

namespace {

using cli_test::CliRun;
using cli_test::RunCli;

std::string DataText(const std::string& name) {
  return test::ReadFile(std::string(SW_TEST_DATA) + "/" + name);
}

TEST(Cli, PrintsTheLogLinesAndWritesTheModelFile) {
  TempFolder folder;
  test::WriteFile(folder.path() + "/coach.s", ShapeText(DataText("hierarchy.s.txt")));
  CliRun run = RunCli(folder.path(), "-v --output-dir out/new coach.s --length 14.5");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err.substr(0, 53), "warning: coach.s: texture \"coach_body.ace\" not found\n");
  EXPECT_EQ(run.out.substr(0, 39), "== coach.s\nReading file\nReading points\n");
  // Terminal line ends: no CR, no double spacing after the closing line.
  EXPECT_EQ(run.out.find('\r'), std::string::npos);
  EXPECT_NE(
      run.out.find("Outputing matrix heirarchy\n\n***** FINISHED *****\n"
                   "ok  coach.s -> out/new/coach.stk (12 components, 0 textures, 3 warnings)\n"
                   "converted 1 of 1 vehicle, 0 failed, 3 warnings, 3 textures missing\n"),
      std::string::npos)
      << run.out;
  std::string model = test::ReadFile(folder.path() + "/out/new/coach.stk");
  std::string golden = DataText("hierarchy.stk");
  // The golden file was made from hierarchy.s: only the model name differs.
  std::string renamed;
  for (size_t at = 0;;) {
    size_t found = golden.find("hierarchy", at);
    renamed += golden.substr(at, found - at);
    if (found == std::string::npos) break;
    renamed += "coach";
    at = found + 9;
  }
  EXPECT_EQ(model, renamed);
}

TEST(Cli, WarnsOnStderrWithFileAndLine) {
  TempFolder folder;
  test::WriteFile(folder.path() + "/malformed.s", ShapeText(DataText("malformed.s.txt")));
  CliRun run = RunCli(folder.path(), "malformed.s --length 10");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1),
            "warning: malformed.s:7: expected \"point\"\n");
  size_t lines = 0;
  for (size_t at = run.err.find(": expected "); at != std::string::npos;
       at = run.err.find(": expected ", at + 1))
    ++lines;
  EXPECT_EQ(lines, 10u);
  EXPECT_EQ(run.err.find('\a'), std::string::npos);
  EXPECT_EQ(test::ReadFile(folder.path() + "/malformed.stk"), DataText("malformed.stk"));
}

TEST(Cli, SourcesAreTakenAsChosenFilesAbsoluteAndLowerCase) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() + "/Trains");
  ShapeParts parts;
  parts.sub_objects = "sub_objects ( 1\n" +
                      SubObject(Vertices({{0, 0, 0}}), "primitives ( 2\nprim_state_idx ( 0 )\n" +
                                                           Trilist("3 0 0 0") + ")\n") +
                      ")\n";
  test::WriteFile(folder.path() + "/Trains/CERX20011.S", ShapeText(BuildShape(parts)));
  test::WriteFile(folder.path() + "/Trains/CERX.ENG", ShapeText("x\nMass ( 30t )\n"));
  CliRun run = RunCli(folder.path() + "/Trains", "-o ../Out --eng CERX.ENG CERX20011.S");
  EXPECT_EQ(run.status, 0) << run.err;
  std::string model = WithoutCarriageReturns(test::ReadFile(folder.path() + "/Out/cerx20011.stk"));
  EXPECT_NE(model.find("Name cerx20011.0.0\n"), std::string::npos);
  EXPECT_NE(model.find("\tWeight\t30\n"), std::string::npos);
}

TEST(Cli, FailuresNameTheFileAndExitNonZero) {
  TempFolder folder;
  test::WriteFile(folder.path() + "/good.s", ShapeText(DataText("hierarchy.s.txt")));
  CliRun run = RunCli(folder.path(), "missing.s good.s");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.substr(0, 44), "error: missing.s: No such file or directory\n");
  EXPECT_EQ(run.out.substr(0, 66),
            "FAILED missing.s: No such file or directory\nok  good.s -> good.stk");
  EXPECT_TRUE(FileExists(folder.path() + "/good.stk"));
  EXPECT_FALSE(FileExists(folder.path() + "/missing.stk"));

  test::WriteFile(folder.path() + "/cut.s", ShapeText("shape (\npoints ( 3\n"));
  run = RunCli(folder.path(), "cut.s");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "warning: cut.s:3: expected \"point\"\nerror: cut.s: unexpected end of shape text\n");
}

TEST(Cli, BareLineFeedsEndAsUnexpectedEndOfText) {
  TempFolder folder;
  std::string text = ShapeText(DataText("hierarchy.s.txt"));
  std::string bare;
  for (size_t i = 0; i < text.size(); i += 2) {
    if (text[i] == '\r' && text[i + 1] == '\0') continue;
    bare += text.substr(i, 2);
  }
  test::WriteFile(folder.path() + "/lf.s", bare);
  CliRun run = RunCli(folder.path(), "lf.s");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("unexpected end of shape text"), std::string::npos);
}

TEST(Cli, DescriptionFileNamesTheShapeAndTheLength) {
  TempFolder folder;
  test::WriteFile(folder.path() + "/Coach.S", ShapeText(DataText("hierarchy.s.txt")));
  test::WriteFile(folder.path() + "/COACH.ENG",
                  ShapeText("x\nWagonShape ( coach.s )\nSize ( 3m 4m 14.5m )\nMass ( 40t )\n"));
  CliRun run = RunCli(folder.path(), "-o out COACH.ENG");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, 31), "ok  COACH.ENG -> out/coach.stk ");
  std::string model = WithoutCarriageReturns(test::ReadFile(folder.path() + "/out/coach.stk"));
  EXPECT_NE(model.find("Length 14500\n\n\tWeight\t40\n"), std::string::npos);
  run = RunCli(folder.path(), "-o out2 --length 10 COACH.ENG");
  EXPECT_NE(test::ReadFile(folder.path() + "/out2/coach.stk").find("Length 10000\r\n"),
            std::string::npos);
  test::WriteFile(folder.path() + "/none.wag", ShapeText("x\nMass ( 1t )\n"));
  run = RunCli(folder.path(), "none.wag");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "error: none.wag: no WagonShape entry names the shape\n");
}

TEST(Cli, UndecompressableShapeReportsTheToolsReason) {
  TempFolder folder;
  test::WriteFile(folder.path() + "/packed.s", "SIMISA@F\x05\x00\x00\x00garbage");
  CliRun run = RunCli(folder.path(), "packed.s");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.rfind("FAILED packed.s: cannot decompress: ", 0), 0u) << run.out;
  EXPECT_EQ(run.err.rfind("error: packed.s: cannot decompress: ", 0), 0u) << run.err;
  EXPECT_FALSE(FileExists(folder.path() + "/packed_ASC.s"));
}

TEST(Cli, OptionsHelpAndVersion) {
  TempFolder folder;
  CliRun run = RunCli(folder.path(), "--version");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Shapewright convertor 1.3.1.0\n");
  run = RunCli(folder.path(), "--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("--output-dir DIR"), std::string::npos);
  EXPECT_EQ(RunCli(folder.path(), "--frobnicate x.s").status, 2);
  EXPECT_EQ(RunCli(folder.path(), "--length abc x.s").status, 2);
  EXPECT_EQ(RunCli(folder.path(), "").status, 2);
}

TEST(Cli, OutputDoesNotDependOnTheLocale) {
  TempFolder folder;
  test::WriteFile(folder.path() + "/coach.s", ShapeText(DataText("hierarchy.s.txt")));
  test::WriteFile(folder.path() + "/steam.eng", ShapeText(DataText("steam.eng.txt")));
  CliRun plain = RunCli(folder.path(), "-v -o c --eng steam.eng --length 14.5 coach.s", "LC_ALL=C");
  CliRun comma =
      RunCli(folder.path(), "-v -o de --eng steam.eng --length 14.5 coach.s", "LC_ALL=de_DE.UTF-8");
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(comma.status, 0);
  EXPECT_EQ(plain.out.substr(0, plain.out.find("ok  ")),
            comma.out.substr(0, comma.out.find("ok  ")));
  EXPECT_EQ(test::ReadFile(folder.path() + "/c/coach.stk"),
            test::ReadFile(folder.path() + "/de/coach.stk"));
  EXPECT_NE(test::ReadFile(folder.path() + "/de/coach.stk").find("Length 14500\r\n"),
            std::string::npos);
}

TEST(Cli, AnOverrideIncludesItsOriginalAndAMissingIncludeIsAWarning) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() + "/OpenRails");
  test::WriteFile(folder.path() + "/Coach.s", ShapeText(EmptyShape()));
  test::WriteFile(folder.path() + "/COACH.wag",
                  ShapeText("\nWagonShape ( coach.s )\nMass ( \"40t\" )\n"));
  test::WriteFile(folder.path() + "/OpenRails/Coach.wag",
                  ShapeText("\ninclude ( \"..\\\\[[SameName]]\" )\ninclude ( Gone.inc )\n"));
  CliRun run = RunCli(folder.path() + "/OpenRails", "-o ../out Coach.wag");
  EXPECT_EQ(run.status, 0);
  // Both readers meet the line; it is reported once.
  EXPECT_EQ(run.err,
            "warning: Coach.wag:3: cannot read include \"Gone.inc\": No such file or directory\n"
            "warning: ../coach.s: texture \"loco.ace\" not found\n");
  EXPECT_NE(test::ReadFile(folder.path() + "/out/coach.stk").find("\tWeight\t40\r\n"),
            std::string::npos);
}

}  // namespace

namespace {

TEST(CliCheck, ReportsPerFileAndExitsByErrors) {
  TempFolder folder;
  std::string golden = DataText("hierarchy.stk");
  test::WriteFile(folder.path() + "/good.stk", golden);
  std::string broken = golden;
  broken.replace(broken.find("\t2,0,3"), 6, "\t2,0,9");
  test::WriteFile(folder.path() + "/broken.stk", broken);
  struct Case {
    const char* arguments;
    int status;
    const char* in_output;
  };
  const Case cases[] = {
      {"--check good.stk", 0,
       "good.stk:9: warning: texture coach_body.tga is missing beside the model file\n"},
      {"--check good.stk broken.stk", 1,
       "broken.stk:12: error: component hierarchy.0.0: 1 triangle index beyond its 4 vertices"},
      {"--check", 2, "usage: shapewright-cli --check"},
      {"--check --length 3 good.stk", 2, "--check does not take --length"},
      {"--check missing.stk", 1, "missing.stk: error: cannot read: No such file or directory"},
  };
  for (const Case& c : cases) {
    CliRun run = RunCli(folder.path(), c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments;
    EXPECT_NE((run.out + run.err).find(c.in_output), std::string::npos) << c.arguments << ":\n"
                                                                        << run.out << run.err;
  }
}

TEST(CliCheck, PreviewWritesAPictureBesideEachModelFile) {
  TempFolder folder;
  test::WriteFile(folder.path() + "/coach.s", ShapeText(DataText("hierarchy.s.txt")));
  CliRun run = RunCli(folder.path(), "-o out coach.s --length 14.5 --preview");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(FileExists(folder.path() + "/out/index.html"));  // no folder among the sources
  std::string png = test::ReadFile(folder.path() + "/out/coach.png");
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  std::filesystem::remove(folder.path() + "/out/coach.png");
  run = RunCli(folder.path(), "--check --preview out/coach.stk");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(FileExists(folder.path() + "/out/coach.png"));
}

TEST(CliCheck, PreviewOfAFolderWritesTheCollectionPage) {
  TempFolder folder;
  std::filesystem::create_directories(folder.path() + "/set/coach");
  test::WriteFile(folder.path() + "/set/coach/coach.s", ShapeText(DataText("hierarchy.s.txt")));
  test::WriteFile(folder.path() + "/set/coach/coach.wag",
                  ShapeText("Wagon ( coach\nWagonShape ( coach.s )\nSize ( 3m 4m 14.5m )\n)\n"));
  test::WriteFile(folder.path() + "/set/coach/broken.wag", ShapeText("Wagon ( broken\n)\n"));
  CliRun run = RunCli(folder.path(), "-o out --preview set");
  EXPECT_EQ(run.status, 1) << run.out << run.err;  // broken.wag names no shape
  EXPECT_NE(run.out.find("collection page: out/index.html\n"), std::string::npos) << run.out;
  std::string page = test::ReadFile(folder.path() + "/out/index.html");
  size_t cards = 0;
  for (size_t at = page.find("data-search="); at != std::string::npos;
       at = page.find("data-search=", at + 1)) {
    ++cards;
  }
  EXPECT_EQ(cards, 2u) << page;
  EXPECT_NE(page.find("<div class=\"card failed\""), std::string::npos);
  EXPECT_NE(page.find("<dt>Length</dt><dd>14.50 m</dd>"), std::string::npos) << page;
  EXPECT_NE(page.find(".png\" alt=\"coach\""), std::string::npos) << page;
}

}  // namespace
