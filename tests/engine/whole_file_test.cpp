// Whole conversions of hand-written shapes, compared byte for byte with their model files.
// SW_UPDATE_GOLDEN=1 rewrites the expected files (review the difference before committing).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "tests/engine/test_support.h"

namespace {

struct Golden {
  const char* shape;  // tests/data/NAME.s.txt
  const char* eng;    // tests/data/NAME.txt, or null
  float length;
  bool two_foot;
  const char* expected;  // tests/data/NAME.stk
};

const Golden kGoldens[] = {
    {"hierarchy", nullptr, 14.5f, false, "hierarchy"},
    {"hierarchy", nullptr, 14.5f, true, "hierarchy-2ft"},
    {"hierarchy", "steam.eng", 14.5f, false, "hierarchy-steam"},
    {"malformed", nullptr, 10.0f, false, "malformed"},
};

std::string Data(const std::string& name) { return std::string(SW_TEST_DATA) + "/" + name; }

// The model file, byte for byte, and the log: its lines one after another (the vehicle lines
// bring their own line ends), then the beeps. The logs are kept beside these tests in data/.
TEST(WholeFile, ConvertsToTheExpectedModelFilesAndLogs) {
  for (const Golden& g : kGoldens) {
    ConvertRequest request;
    request.shape = test::ReadTestData(std::string(g.shape) + ".s.txt");
    request.shape_name = std::string(g.shape) + ".s";
    if (g.eng != nullptr) request.eng = test::ReadTestData(std::string(g.eng) + ".txt");
    request.length = g.length;
    request.two_foot = g.two_foot;
    ASSERT_FALSE(request.shape.empty()) << g.shape;
    Converted c = Convert(request);
    ASSERT_TRUE(c.ok) << g.expected;
    std::string log;
    for (const std::string& line : c.log.lines) log += line + "\n";
    for (const BeepSite& beep : c.log.beeps)
      log += "beep at " + std::to_string(beep.line) + ": " + beep.expected + "\n";
    std::string model_path = Data(std::string(g.expected) + ".stk");
    std::string log_path = std::string(SW_ENGINE_DATA) + "/" + g.expected + ".log";
    if (getenv("SW_UPDATE_GOLDEN") != nullptr) {
      test::WriteFile(model_path, c.raw);
      test::WriteFile(log_path, log);
    }
    // The model files hold CR LF line ends; the readable comparison comes first.
    std::string expected = test::ReadFile(model_path);
    EXPECT_EQ(WithoutCarriageReturns(expected), c.model) << g.expected;
    EXPECT_EQ(expected, c.raw) << g.expected;
    EXPECT_EQ(test::ReadFile(log_path), log) << g.expected;
  }
}

// The steam ENG file in each form and line end, including a file in the next form and the other
// line end, beside its shape, converts into the model file of the UTF-16LE CR LF original.
TEST(WholeFile, EveryEncodingAndLineEndGivesTheSameModelFile) {
  const char* ends[] = {"\r\n", "\n"};
  for (int form = 0; form < 8; ++form) {
    TempFolder folder;
    auto write = [&](const char* name, const std::string& text, int f, const char* end) {
      return folder.Write(name, test::EncodedText(text, test::TextForm(f % 4), end));
    };
    ConversionOptions o = OptionsForShape(folder, "", "hierarchy.s");
    write("hierarchy.s", test::ReadTestData("hierarchy.s.txt"), 0, ends[form / 4]);
    write("Sub/Part.inc", test::ReadTestData("steam.eng.txt"), form + 1, ends[1 - form / 4]);
    o.EngPath = write("steam.eng", "x\ninclude ( sub\\part.inc )\n", form, ends[form / 4]);
    o.Length = 14.5f;
    RecordingLog log;
    EXPECT_TRUE(RunConversion(o, log)) << form;
    EXPECT_EQ(test::ReadFile(folder.File("hierarchy.stk")),
              test::ReadFile(Data("hierarchy-steam.stk")))
        << form;
  }
}

// A model file that cannot be written ends the run without the closing line (a source that
// cannot be read is in the command-line and dialog tests).
TEST(WholeFile, AModelFileThatCannotBeWrittenIsReportedOnce) {
  SKIP_ON_WINDOWS("a link to /dev/full stands for a full disk");
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TempFolder folder;
  ConversionOptions options = OptionsForShape(folder, test::ReadTestData("hierarchy.s.txt"));
  std::filesystem::create_symlink("/dev/full", folder.File("loco.stk"));
  RecordingLog log;
  EXPECT_FALSE(RunConversion(options, log));
  ASSERT_EQ(log.failures.size(), 1u);
  EXPECT_EQ(log.failures[0].file, folder.File("loco.stk"));
  EXPECT_EQ(log.failures[0].reason, "No space left on device");
  EXPECT_NE(log.lines.back(), "\r\n***** FINISHED *****\r\n");
}

TEST(WholeFile, FuzzerFindingsEndCleanly) {
  // Inputs in the fuzzer's layout: an options byte, the shape, then "#ENG#" and the ENG file.
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SW_FUZZ_REGRESSIONS)) {
    std::string bytes = test::ReadFile(entry.path().string());
    ASSERT_FALSE(bytes.empty());
    unsigned options = static_cast<unsigned char>(bytes[0]);
    std::string body = bytes.substr(1);
    size_t marker = body.find("#ENG#");
    TempFolder folder;
    ConversionOptions o;
    o.OutputDirectory = folder.path();
    o.TwoFootScale = (options & 1) != 0;
    o.Length = static_cast<float>(options >> 3) * 1.25f;
    o.SourcePath = folder.Write("fuzz.s", body.substr(0, marker));
    if (marker != std::string::npos && (options & 4) == 0) {
      o.EngPath =
          folder.Write((options & 2) != 0 ? "fuzz.wag" : "fuzz.eng", body.substr(marker + 5));
    }
    RecordingLog log;
    bool ok = RunConversion(o, log);
    EXPECT_EQ(log.failures.size(), ok ? 0u : 1u) << entry.path();
    ++count;
  }
  EXPECT_GT(count, 0u);
}

TEST(RunConversion, NamesAndPathsFollowTheSource) {
  struct Case {
    const char* source;
    const char* model_name;  // as the assembly names it
    const char* model_file;
  } cases[] = {
      {"loco_ASC.s", "loco", "X_ASC/loco.stk"},
      {"loco.mk2.s", "loco", "X_ASC/loco.mk2.stk"},
      {"loco_asc.s", "loco_asc", "X_ASC/loco_asc.stk"},
      {"_ASCloco.s", "_ASCloco", "X_ASC/loco.stk"},
      {"lo_ASCco_ASC.s", "lo", "X_ASC/loco.stk"},
      {"sub/loco", "", "X_ASC.stk"},  // no dot: no name, and the folder's own name
  };
  for (const Case& k : cases) {
    TempFolder folder;
    std::filesystem::create_directory(folder.path() + "/X_ASC");
    ConversionOptions options = OptionsForShape(folder, EmptyShape(), k.source);
    options.OutputDirectory = folder.path() + "/X_ASC";
    RecordingLog log;
    ASSERT_TRUE(RunConversion(options, log)) << k.source;
    std::string model = WithoutCarriageReturns(test::ReadFile(folder.File(k.model_file)));
    EXPECT_NE(model.find(std::string("\nName ") + k.model_name + "\nMillimetric\n"),
              std::string::npos)
        << k.source;
  }
}

}  // namespace
