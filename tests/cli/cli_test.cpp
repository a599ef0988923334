// shapewright-cli as a user runs it: arguments, output streams, exit status, files written.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/whole_file.h"
#include "tests/cli/cli_run.h"

namespace {

using namespace cli_test;

TEST(Cli, PrintsTheLogLinesAndWritesTheModelFile) {
  TempFolder folder;
  folder.Write("coach.s", ShapeText(test::ReadTestData("hierarchy.s.txt")));
  CliRun run = RunCli(folder.path(), "-v --output-dir out/new coach.s --length 14.5");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.substr(0, 39), "== coach.s\nReading file\nReading points\n");
  // Terminal line ends: no CR, no double spacing after the closing line.
  EXPECT_EQ(run.out.find('\r'), npos);
  EXPECT_NE(
      run.out.find("Outputing matrix heirarchy\n\n***** FINISHED *****\n"
                   "ok  coach.s -> out/new/coach.stk (12 components, 0 textures, 3 warnings)\n"
                   "converted 1 of 1 vehicle, 0 failed, 3 warnings, 3 textures missing\n"),
      npos)
      << run.out;
}

// Exit status, the start of both streams and a line of the model file written, for each kind
// of source, each way a run fails, and the options that print and stop.
TEST(Cli, OutcomesAndExitStatus) {
  TempFolder folder;
  folder.Write("good.s", ShapeWithTexture("t.ace"));
  folder.Write("malformed.s", ShapeText(test::ReadTestData("malformed.s.txt")));
  folder.Write("Trains/CERX20011.S", ShapeWithTexture("t.ace"));
  folder.Write("Trains/CERX.ENG", ShapeText("x\nMass ( 30t )\n"));
  folder.Write("Coach.S", ShapeWithTexture("t.ace"));
  folder.Write("COACH.ENG",
               ShapeText("x\nWagonShape ( coach.s )\nSize ( 3m 4m 14.5m )\nMass ( 40t )\n"));
  folder.Write("cut.s", ShapeText("shape (\npoints ( 3\n"));
  folder.Write("none.wag", ShapeText("x\nMass ( 1t )\n"));
  folder.Write("packed.s", "SIMISA@F\x05\x00\x00\x00garbage");
  folder.Write("empty/readme.txt", "no vehicle here");
  folder.Write("notes.txt", "not a vehicle");
  folder.Write("-odd.s", ShapeWithTexture("t.ace"));
  // Only regular files are read: a FIFO would stall the run, a device never end.
  test::MakeFifo(folder.File("fifo.s"));
  folder.Write("pipe.wag", ShapeText("x\nWagonShape ( fifo.s )\n"));
  std::filesystem::resize_file(folder.Write("big.wag", ""), 17 << 20);
  folder.Write("tex/good.s", ShapeWithTexture("t.ace"));
  test::MakeFifo(folder.File("tex/t.ace"));
  const struct {
    const char* arguments;
    int status;
    std::string out, err, model = {}, model_line = {};
  } cases[] = {
      {"malformed.s --length 10", 0, "ok  malformed.s -> malformed.stk",
       "malformed.s:7: warning: expected \"point\"\n", "malformed.stk", "Length 10000\n"},
      // Shapes are taken as chosen in the dialog: absolute and lower case.
      {"-o Out --eng Trains/CERX.ENG Trains/CERX20011.S", 0,
       "ok  Trains/CERX20011.S -> Out/cerx20011.stk", "", "Out/cerx20011.stk", "\tWeight\t30\n"},
      // A description file names the shape and the length, unless --length is given.
      {"-o out COACH.ENG", 0, "ok  COACH.ENG -> out/coach.stk ", "", "out/coach.stk",
       "Length 14500\n\n\tWeight\t40\n"},
      {"-o out2 --length 10 COACH.ENG", 0, "ok  COACH.ENG -> out2/coach.stk ", "", "out2/coach.stk",
       "Length 10000\n"},
      {"missing.s good.s", 1, "FAILED missing.s: No such file or directory\nok  good.s -> good.stk",
       "missing.s: error: No such file or directory\n", "good.stk", "Length 0\n"},
      {"cut.s", 1, "FAILED cut.s: unexpected end of shape text\n",
       "cut.s:3: warning: expected \"point\"\ncut.s: error: unexpected end of shape text\n"},
      {"none.wag", 1, "FAILED none.wag: no WagonShape entry names the shape\n",
       "none.wag: error: no WagonShape entry names the shape\n"},
      // The reason is the tool's own message, from its standard error.
      {"packed.s", 1, "FAILED packed.s: cannot decompress: ffeditc_unicode: ",
       "packed.s: error: cannot decompress: ffeditc_unicode: "},
      {"fifo.s pipe.wag", 1,
       "FAILED fifo.s: a FIFO, not a regular file\nFAILED pipe.wag: fifo.s: a FIFO",
       "fifo.s: error: a FIFO, not a regular file\nfifo.s: error: a FIFO"},
      {"big.wag", 1,
       "FAILED big.wag: larger than any description file (17825792 bytes; at most 16777216)\n",
       "big.wag: error: larger"},
      {"-o t tex/good.s", 1, "FAILED tex/good.s: tex/t.ace: a FIFO, not a regular file\n",
       "tex/t.ace: error: a FIFO"},
      // The report is checked before anything is converted: never a source or an output.
      {"--report good.s good.s", 2, "",
       "good.s: error: a report cannot take the name of a file "
       "the run reads or writes (.s)\n"},
      {"--report notes.txt notes.txt", 2, "",
       "notes.txt: error: the report would replace the source notes.txt\n"},
      {"-o o9 --report good.s/r.csv good.s", 2, "",
       "good.s/r.csv: error: cannot make the report's folder: Not a directory\n"},
      {"-o good.s good.s", 1, "FAILED good.s: cannot make the output folder: Not a directory\n",
       "good.s: error: Not a directory\n"},
      // "--" ends the options; --eng gives shapes their data, and nothing else.
      {"-- -odd.s", 0, "ok  -odd.s -> -odd.stk", "-odd.s: warning: texture"},
      {"--eng COACH.ENG COACH.ENG", 2, "",
       "shapewright-cli: --eng applies to shape sources only, not to COACH.ENG\n"},
      {"--eng gone.eng good.s", 2, "", "shapewright-cli: --eng gone.eng: no such file\n"},
      // Control bytes in a name are shown escaped: a line stays one line.
      {"e\x1b[31m.s", 1, "FAILED e\\x1B[31m.s: No such file or directory\n",
       "e\\x1B[31m.s: error: No such file or directory\n"},
      {"-q -o q malformed.s", 0, "converted 1 of 1 vehicle, 0 failed, ", ""},
      // A folder without vehicles fails the run, though nothing else did.
      {"-o out3 empty", 1, "converted 0 of 0 vehicles",
       "empty: error: no ENG or WAG file below this folder\n"},
      // No output folder: each vehicle still gets its line, and the count follows.
      {"-o good.s/out good.s", 1,
       "FAILED good.s: cannot make the output folder: Not a directory\n"
       "converted 0 of 1 vehicle, 1 failed, 0 warnings, 0 textures missing\n",
       "good.s/out: error: Not a directory\n"},
      {"--jobs 0 good.s", 2, "", "shapewright-cli: --jobs needs a number from 1 to 1024\n"},
      {"--version", 0, "Shapewright convertor 1.3.1.0\n", ""},
      {"--help", 0, "usage: shapewright-cli [OPTION...] SOURCE...\n", ""},
      {"--frobnicate x.s", 2, "", "shapewright-cli: unknown option --frobnicate"},
      {"--length abc x.s", 2, "", "shapewright-cli: --length needs a finite, positive number"},
      {"--length nan x.s", 2, "", "shapewright-cli: --length needs a finite, positive number"},
      {"--length -5 x.s", 2, "", "shapewright-cli: --length needs a finite, positive number"},
      {"", 2, "", "usage: shapewright-cli [OPTION...] SOURCE...\n"},
  };
  for (const auto& c : cases) {
    const std::string arguments = c.arguments;
    bool reads_fifo = arguments.find("fifo.s") != npos || arguments.find("tex/") != npos;
    if (test::kWindows && reads_fifo) continue;  // Windows has no FIFOs to name in a folder
    CliRun run = RunCli(folder.path(), c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments;
    EXPECT_EQ(run.out.substr(0, c.out.size()), c.out) << c.arguments;
    EXPECT_EQ(run.err.substr(0, c.err.size()), c.err) << c.arguments;
    if (c.status == 0 && c.err.empty() && c.model.empty()) {
      EXPECT_EQ(run.err, "") << c.arguments;
    }
    if (!c.model.empty()) {
      EXPECT_NE(Model(folder.File(c.model)).find(c.model_line), npos) << c.arguments;
    }
  }
  EXPECT_FALSE(FileExists(folder.File("missing.stk")));
  EXPECT_FALSE(FileExists(folder.File("packed_ASC.s")));
}

// The file given is the file used; its names are found in any letter case, their own first, and
// two other cases of one are both named. "\\" is a letter. Unreadable text says what is wrong.
TEST(Cli, TheFileGivenIsTheOneUsedAndItsNamesAreFoundInAnyCase) {
  SKIP_ON_WINDOWS("names that differ only in letter case share a folder, and \\ is a letter");
  TempFolder folder;
  auto write = [&](const std::string& bytes, std::initializer_list<const char*> names) {
    for (const char* name : names) folder.Write(name, bytes);
  };
  write(ShapeWithTexture("t.ace"), {"s/A/v.s", "b\\s/Coach.s", "b\\s/x\\y.s"});
  write(ShapeWithTexture("loaded.ace"), {"loaded.s"});
  write(ShapeWithTexture("empty.ace"), {"s/a/v.s"});
  write(ShapeWithTexture("upper.ace"), {"c/V.s", "d/V.s"});
  write(ShapeWithTexture("lower.ace"), {"c/v.S", "d/v.s"});
  write(ShapeText("x\nWagonShape ( loaded.s )\n"), {"Loco.eng", "Part.inc", "PART.inc"});
  write(ShapeText("x\nWagonShape ( empty.s )\n"), {"loco.ENG"});
  write(ShapeText("x\nWagonShape ( V.s )\n"), {"c/clash.wag", "d/exact.wag"});
  write(ShapeText("x\nWagonShape ( coach.s )\n"), {"b\\s/coach.wag"});
  write(ShapeText("x\ninclude ( part.inc )\n"), {"inc.wag"});
  write("not a texture", {"s/A/T.ace", "s/A/t.ACE"});
  write(test::EncodedText("x WagonShape ( loaded.s )", test::TextForm::kUtf8), {"noends.wag"});
  write(test::EncodedText(EmptyShape(), test::TextForm::kUtf16Be), {"be.s"});
  write(test::EncodedText(EmptyShape(), test::TextForm::kUtf16Le, " "), {"noends.s"});
  write(std::string("\xFF\xFE\0\0M\0\0\0", 8), {"u32.wag"});  // UTF-32
  const std::string differ = ", which differ only in letter case; ", texture = ": warning: texture",
                    no_ends = ": it has no line ends (CR LF or LF)\n";
  const struct {
    const char* arguments;
    std::string out, err = {};
  } cases[] = {
      {"-o o1 s/A/v.s", "ok  s/A/v.s -> o1/v.stk",
       "s/A/v.s: warning: \"t.ace\" matches both s/A/T.ace and s/A/t.ACE" + differ +
           "s/A/T.ace is used\n"},
      {"-o o2 Loco.eng", "ok  Loco.eng -> o2/loaded.stk", "loaded.s" + texture},
      {"-o o3 c/clash.wag", "ok  c/clash.wag -> o3/v.stk",
       "c/v.s: warning: \"v.s\" matches both c/V.s and c/v.S" + differ + "c/V.s is used\nc/v.s" +
           texture + " \"upper.ace\""},
      {"-o o4 d/exact.wag", "ok  d/exact.wag -> o4/v.stk", "d/v.s" + texture + " \"lower.ace\""},
      {"-o o5 b\\s/coach.wag", "ok  b\\s/coach.wag -> o5/coach.stk", "b\\s/coach.s" + texture},
      {"-o o6 b\\s/x\\y.s", "ok  b\\s/x\\y.s -> o6/x\\y.stk", "b\\s/x\\y.s" + texture},
      {"-o o7 --eng u32.wag loaded.s", "ok  loaded.s -> o7/loaded.stk",
       "loaded.s" + texture +
           " \"loaded.ace\" not found\nu32.wag: warning: no vehicle data read: "
           "it holds NUL characters: it is not UTF-16LE text"},
      // Both readers of the description file meet the include line: one warning.
      {"-o o8 inc.wag", "ok  inc.wag -> o8/loaded.stk",
       "inc.wag:2: warning: \"part.inc\" matches both PART.inc and Part.inc" + differ +
           "PART.inc is used\nloaded.s" + texture},
      {"noends.wag", "FAILED noends.wag: no WagonShape entry names the shape" + no_ends},
      {"be.s", "FAILED be.s: the shape text is UTF-16BE; a shape text must be UTF-16LE\n"},
      {"noends.s", "FAILED noends.s: unexpected end of shape text" + no_ends},
  };
  for (const auto& c : cases) {
    CliRun run = RunCli(folder.path(), c.arguments);
    EXPECT_EQ(run.status, c.out.starts_with("ok") ? 0 : 1) << c.arguments;
    EXPECT_EQ(run.out.substr(0, c.out.size()), c.out) << c.arguments;
    EXPECT_EQ(run.err.substr(0, c.err.size()), c.err) << c.arguments << "\n" << run.err;
    EXPECT_LE(test::Count(run.err, "matches both"), 1u) << c.arguments;  // once per name
  }
}

TEST(Cli, AnOverrideIncludesItsOriginalAndAMissingIncludeIsOneWarning) {
  TempFolder folder;
  folder.Write("Coach.s", ShapeText(EmptyShape()));
  folder.Write("COACH.wag", ShapeText("\nWagonShape ( coach.s )\nMass ( \"40t\" )\n"));
  folder.Write("OpenRails/Coach.wag",
               ShapeText("\ninclude ( \"..\\\\[[SameName]]\" )\ninclude ( Gone.inc )\n"));
  CliRun run = RunCli(folder.File("OpenRails"), "-o ../out Coach.wag");
  EXPECT_EQ(run.status, 0);
  // Both readers of the description file meet the line.
  EXPECT_EQ(run.err,
            "Coach.wag:3: warning: cannot read include \"Gone.inc\": No such file or directory\n"
            "../coach.s: warning: texture \"loco.ace\" not found\n");
  EXPECT_NE(Model(folder.File("out/coach.stk")).find("\tWeight\t40\n"), npos);
}

// Names beyond ASCII, in folders deeper than the 260 characters Windows once allowed, written
// through the platform layer: its wide calls with their long-path form.
TEST(Cli, TakesNamesBeyondAsciiInFoldersBeyondTheClassicLimit) {
  TempFolder folder;
  std::string deep = folder.File("Zürich Stock");
  for (int i = 0; i < 10; ++i) deep += "/Unterordner mit langem Namen " + std::to_string(i);
  std::string error;
  ASSERT_TRUE(platform::CreateFolders(deep, error)) << error;
  ASSERT_TRUE(platform::WriteWholeFile(deep + "/Lok_\u00dc.eng",
                                       ShapeText("x\nWagonShape ( Lok_\xdc.s )\n"), error));
  ASSERT_TRUE(platform::WriteWholeFile(deep + "/Lok_\u00dc.s", ShapeWithTexture("t.ace"), error));
  CliRun run = test::RunProgram(SW_CLI, {"-o", deep + "/Aus", deep + "/Lok_\u00dc.eng"});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.out.find("ok  " + deep + "/Lok_\u00dc.eng -> " + deep + "/Aus/lok_\u00dc.stk"), 0u)
      << run.out;
  EXPECT_TRUE(platform::IsRegularFile(deep + "/Aus/lok_\u00dc.stk"));
}

TEST(CliCheck, ReportsPerFileAndExitsByErrors) {
  TempFolder folder;
  std::string golden = test::ReadTestData("hierarchy.stk");
  folder.Write("good.stk", golden);
  folder.Write("bad/good.stk", golden);
  folder.Write("bad/coach_body.tga", "not a picture");
  folder.Write("broken.stk", golden.replace(golden.find("\t2,0,3"), 6, "\t2,0,9"));
  const struct {
    const char* arguments;
    int status;
    const char* in_output;
  } cases[] = {
      {"--check good.stk", 0,
       "good.stk:9: warning: texture coach_body.tga is missing beside the model file\n"},
      {"--check good.stk broken.stk", 1,
       "broken.stk:12: error: component hierarchy.0.0: 1 triangle index beyond its 4 vertices"},
      {"--check", 2, "usage: shapewright-cli --check"},
      {"--check --length 3 good.stk", 2, "--check does not take --length"},
      {"--check --preview bad/good.stk", 0,
       "bad/good.stk: warning: texture coach_body.tga is drawn plain: shorter than a TGA header"},
      {"--check missing.stk", 1, "missing.stk: error: cannot read: No such file or directory"},
  };
  for (const auto& c : cases) {
    CliRun run = RunCli(folder.path(), c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments;
    EXPECT_NE((run.out + run.err).find(c.in_output), npos) << c.arguments << ":\n"
                                                           << run.out << run.err;
  }
}

TEST(CliPreview, AFolderSourceGetsTheCollectionPage) {
  TempFolder folder;
  folder.Write("set/coach/coach.s", ShapeText(test::ReadTestData("hierarchy.s.txt")));
  folder.Write("set/coach/coach.wag",
               ShapeText("Wagon ( coach\nWagonShape ( coach.s )\nSize ( 3m 4m 14.5m )\n)\n"));
  folder.Write("set/coach/broken.wag", ShapeText("Wagon ( broken\n)\n"));
  CliRun run = RunCli(folder.path(), "-o out --preview --report rep#1.csv set");
  EXPECT_EQ(run.status, 1) << run.out << run.err;  // broken.wag names no shape
  EXPECT_NE(run.out.find("collection page: out/index.html\n"), npos) << run.out;
  std::string page = test::ReadFile(folder.File("out/index.html"));
  EXPECT_EQ(test::Count(page, "data-search="), 2u) << page;
  EXPECT_NE(page.find("<div class=\"card failed\""), npos);
  EXPECT_NE(page.find("<dt>Length</dt><dd>14.50 m</dd>"), npos) << page;
  EXPECT_NE(page.find(".png\" alt=\"coach\""), npos) << page;
  EXPECT_NE(page.find("<a id=\"report\" href=\"../rep%231.csv\""), npos) << page;
}

}  // namespace
