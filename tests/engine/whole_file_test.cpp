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
  const char* expected;  // tests/data/NAME
  size_t beeps;
};

const Golden kGoldens[] = {
    {"hierarchy", nullptr, 14.5f, false, "hierarchy.stk", 0},
    {"hierarchy", nullptr, 14.5f, true, "hierarchy-2ft.stk", 0},
    {"hierarchy", "steam.eng", 14.5f, false, "hierarchy-steam.stk", 0},
    {"malformed", nullptr, 10.0f, false, "malformed.stk", 10},
};

std::string Data(const std::string& name) { return std::string(SW_TEST_DATA) + "/" + name; }

TEST(WholeFile, ConvertsToTheExpectedModelFiles) {
  for (const Golden& g : kGoldens) {
    ConvertRequest request;
    request.shape = test::ReadFile(Data(std::string(g.shape) + ".s.txt"));
    request.shape_name = std::string(g.shape) + ".s";
    if (g.eng != nullptr) request.eng = test::ReadFile(Data(std::string(g.eng) + ".txt"));
    request.length = g.length;
    request.two_foot = g.two_foot;
    ASSERT_FALSE(request.shape.empty()) << g.shape;
    Converted c = Convert(request);
    ASSERT_TRUE(c.ok) << g.expected;
    EXPECT_EQ(c.log.beeps.size(), g.beeps) << g.expected;
    EXPECT_EQ(c.log.lines.back(), "\r\n***** FINISHED *****\r\n");
    // Convert() turned CR LF into LF; the file on disk has CR LF everywhere (checked below).
    std::string expected_path = Data(g.expected);
    if (getenv("SW_UPDATE_GOLDEN") != nullptr) {
      std::string crlf;
      for (char ch : c.model) {
        if (ch == '\n') crlf += '\r';
        crlf += ch;
      }
      test::WriteFile(expected_path, crlf);
    }
    std::string expected = test::ReadFile(expected_path);
    EXPECT_EQ(WithoutCarriageReturns(expected), c.model) << g.expected;
  }
}

TEST(WholeFile, ModelFileUsesCarriageReturnLineFeedThroughout) {
  TempFolder folder;
  ConversionOptions options =
      OptionsForShape(folder, test::ReadFile(Data("hierarchy.s.txt")), "Hierarchy_ASC.s");
  RecordingLog log;
  ASSERT_TRUE(RunConversion(options, log));
  std::string bytes = test::ReadFile(folder.path() + "/Hierarchy.stk");
  ASSERT_FALSE(bytes.empty());
  size_t lf = 0, crlf = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ++lf;
      if (i > 0 && bytes[i - 1] == '\r') ++crlf;
    }
  }
  EXPECT_EQ(lf, crlf);
  EXPECT_NE(bytes.find("Name Hierarchy.0.0\r\n"), std::string::npos);
}

TEST(WholeFile, LogLinesOfACompleteRun) {
  ConvertRequest request;
  request.shape = test::ReadFile(Data("hierarchy.s.txt"));
  request.eng = test::ReadFile(Data("steam.eng.txt"));
  Converted c = Convert(request);
  ASSERT_TRUE(c.ok);
  std::vector<std::string> expected = {"Reading file",
                                       "Reading points",
                                       "Reading UV points",
                                       "Reading Normals",
                                       "Reading matrices",
                                       "Reading textures",
                                       "Reading Vertex States",
                                       "Reading primitive states",
                                       "Processing sub-object 1 of 2",
                                       "Reading vertices",
                                       "      Processing primitive 1 of 1",
                                       "      Processing primitive 2 of 1",
                                       "Processing sub-object 2 of 2",
                                       "Reading vertices",
                                       "      Processing primitive 1 of 4",
                                       "      Processing primitive 2 of 4",
                                       "      Processing primitive 3 of 4",
                                       "      Processing primitive 4 of 4",
                                       "Writing assembly",
                                       "Converting Textures",
                                       "\tTexture: coach_body.ace",
                                       "\tTexture: bogie.ace",
                                       "\tTexture: glass.ace",
                                       "Reading ENG/WAG file",
                                       "\tWeight\t61\n",
                                       "Steam"};
  ASSERT_GE(c.log.lines.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(c.log.lines.begin(), c.log.lines.begin() + expected.size()),
            expected);
  EXPECT_EQ(c.log.lines[c.log.lines.size() - 2], "Outputing matrix heirarchy");
}

TEST(WholeFile, EveryTruncationEndsCleanly) {
  // Each prefix of a valid shape either converts or ends with one reported failure, never
  // anything else; run under the sanitizers this also proves no read outside a buffer.
  std::string shape = test::ReadFile(Data("malformed.s.txt"));
  for (size_t cut = 0; cut < shape.size(); cut += 7) {
    Converted c = ConvertShape(shape.substr(0, cut));
    if (c.ok) {
      EXPECT_TRUE(c.log.failures.empty());
      EXPECT_EQ(c.log.lines.back(), "\r\n***** FINISHED *****\r\n");
    } else {
      ASSERT_EQ(c.log.failures.size(), 1u) << cut;
      EXPECT_EQ(c.log.failures[0].reason, "unexpected end of shape text") << cut;
      EXPECT_NE(c.log.lines.back(), "\r\n***** FINISHED *****\r\n");
    }
  }
}

TEST(WholeFile, MissingSourceLogsOnlyReadingFile) {
  TempFolder folder;
  ConversionOptions options;
  options.SourcePath = folder.path() + "/none.s";
  options.OutputDirectory = folder.path();
  RecordingLog log;
  EXPECT_FALSE(RunConversion(options, log));
  EXPECT_EQ(log.lines, std::vector<std::string>{"Reading file"});
  ASSERT_EQ(log.failures.size(), 1u);
  EXPECT_EQ(log.failures[0].file, options.SourcePath);
  EXPECT_EQ(log.failures[0].reason, "No such file or directory");
  EXPECT_FALSE(FileExists(folder.path() + "/none.stk"));
}

TEST(WholeFile, WriteFailureIsReportedWithoutTheClosingLine) {
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TempFolder folder;
  ConversionOptions options = OptionsForShape(folder, test::ReadFile(Data("hierarchy.s.txt")));
  options.OutputDirectory = folder.path() + "/out";
  std::filesystem::create_directory(options.OutputDirectory);
  std::filesystem::create_symlink("/dev/full", options.OutputDirectory + "/loco.stk");
  RecordingLog log;
  EXPECT_FALSE(RunConversion(options, log));
  ASSERT_EQ(log.failures.size(), 1u);
  EXPECT_EQ(log.failures[0].file, options.OutputDirectory + "/loco.stk");
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
    o.SourcePath = folder.path() + "/fuzz.s";
    o.OutputDirectory = folder.path();
    o.TwoFootScale = (options & 1) != 0;
    o.Length = static_cast<float>(options >> 3) * 1.25f;
    test::WriteFile(o.SourcePath, body.substr(0, marker));
    if (marker != std::string::npos && (options & 4) == 0) {
      o.EngPath = folder.path() + ((options & 2) != 0 ? "/fuzz.wag" : "/fuzz.eng");
      test::WriteFile(o.EngPath, body.substr(marker + 5));
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
    const char* model_name;  // as seen in the first component's name
    const char* model_file;
  } cases[] = {
      {"loco_ASC.s", "loco", "loco.stk"},         {"loco.mk2.s", "loco", "loco.mk2.stk"},
      {"loco_asc.s", "loco_asc", "loco_asc.stk"}, {"_ASCloco.s", "_ASCloco", "loco.stk"},
      {"lo_ASCco_ASC.s", "lo", "loco.stk"},
  };
  for (const Case& k : cases) {
    TempFolder folder;
    std::filesystem::create_directory(folder.path() + "/X_ASC");
    ConversionOptions options;
    options.SourcePath = folder.path() + "/" + k.source;
    options.OutputDirectory = folder.path() + "/X_ASC";
    test::WriteFile(options.SourcePath, ShapeText(EmptyShape()));
    RecordingLog log;
    ASSERT_TRUE(RunConversion(options, log)) << k.source;
    std::string model =
        WithoutCarriageReturns(test::ReadFile(folder.path() + "/X_ASC/" + k.model_file));
    EXPECT_NE(model.find(std::string("\nName ") + k.model_name + "\nMillimetric\n"),
              std::string::npos)
        << k.source;
  }
}

TEST(RunConversion, SourceWithoutADotGivesAnEmptyModelName) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() + "/sub");
  ConversionOptions options = OptionsForShape(folder, EmptyShape(), "sub/loco");
  options.OutputDirectory = folder.path() + "/out";
  RecordingLog log;
  ASSERT_TRUE(RunConversion(options, log));
  EXPECT_NE(WithoutCarriageReturns(test::ReadFile(folder.path() + "/out.stk"))
                .find("\nName \nMillimetric\n"),
            std::string::npos);
}

}  // namespace
