// The ffeditc_unicode executable: its command line, its result file and its failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shape_encoder.h"
#include "tests/common/common.h"

namespace {

using Names = std::vector<std::string>;

class ToolTest : public ::testing::Test {
 protected:
  // Runs the tool with arguments in folder, as the converter does; standard output and standard
  // error together.
  test::ProgramRun Run(const std::vector<std::string>& arguments, const std::string& folder = "") {
    test::ProgramRun run =
        test::RunProgram(FFEDIT_TOOL_PATH, arguments, folder.empty() ? temp_.path() : folder);
    run.out += run.err;
    return run;
  }
  test::TempFolder temp_;
  const std::string text_ = ffedit_test::ReadTestData("full.txt");
  const ffedit_test::Bytes blocks_ = ffedit_test::EncodeShapeBlocks(text_);
};

TEST_F(ToolTest, WritesTheTextOfEachFormAsTheConverterStartsIt) {
  std::string text = ffedit_test::MakeTextFile("shape ( odd  spacing )\n");
  temp_.Write("src/dash9.s", ffedit_test::WrapCompressedShape(blocks_));
  temp_.Write("src/a.s", ffedit_test::WrapBinaryShape(blocks_));
  temp_.Write("src/t.s", text);
  temp_.Write("src/u.s", text.substr(2));  // saved without its mark: the mark is added
  temp_.Write("tool/new_asc.s", "old");    // an earlier result is replaced
  const struct {
    Names arguments;
    std::string result, expected;
  } cases[] = {
      {{temp_.File("src/dash9.s"), "/u", "/o:new_asc.s"},
       "tool/new_asc.s",
       ffedit_test::MakeTextFile(text_)},
      {{"../src/a.s", "-o", temp_.File("tool/a.s")}, "tool/a.s", ffedit_test::MakeTextFile(text_)},
      {{"../src/t.s", "/u", "/o:t.s"}, "tool/t.s", text},
      {{"../src/u.s", "/o:u.s"}, "tool/u.s", text},
  };
  for (const auto& c : cases) {
    test::ProgramRun run = Run(c.arguments, temp_.File("tool"));
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(test::ReadFile(temp_.File(c.result)), c.expected) << c.result;
  }
  EXPECT_EQ(temp_.List("tool"), (Names{"a.s", "new_asc.s", "t.s", "u.s"}));
}

// The reader tests check every kind of damage; here each kind reaches the user as an exit status
// and a message naming what and where, and leaves no result behind.
TEST_F(ToolTest, FailsOnADamagedShapeNamingTokenAndOffsetAndLeavesNothing) {
  ffedit_test::Bytes unknown = blocks_;
  unknown[9] = 0x2c;  // the first child of shape (shape_header) becomes token 300
  unknown[10] = 0x01;
  const std::pair<ffedit_test::Bytes, std::string> cases[] = {
      {ffedit_test::WrapBinaryShape(unknown),
       "ffeditc_unicode: bad.s: token 300 at byte offset 41: unknown token id\n"},
      {ffedit_test::WrapCompressedShape(unknown),
       "token 300 at byte offset 25 of the decompressed data: unknown token id"},
      {{}, "file header at byte offset 0: not a shape file"},
  };
  for (const auto& [bytes, message] : cases) {
    temp_.Write("bad.s", bytes);
    test::ProgramRun run = Run({"bad.s", "/u", "/o:new_asc.s"});
    EXPECT_EQ(run.status, 1) << message;
    EXPECT_NE(run.out.find(message), std::string::npos) << run.out;
    EXPECT_EQ(temp_.List(), Names{"bad.s"}) << message;
  }
}

TEST_F(ToolTest, FailsOnAMissingSourceUnwritableOutputOrWrongCommandLine) {
  test::ProgramRun run = Run({"missing.s", "/u", "/o:new_asc.s"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("missing.s"), std::string::npos);
  temp_.Write("a.s", ffedit_test::WrapBinaryShape(blocks_));
  EXPECT_EQ(Run({"a.s", "-o", temp_.File("no/such/out.s")}).status, 1);
  run = Run({});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("usage: ffeditc_unicode"), std::string::npos);
  EXPECT_EQ(Run({"a.s", "/u"}).status, 2);
  EXPECT_EQ(Run({"a.s", "b.s", "/o:x"}).status, 2);
  EXPECT_EQ(Run({"a.s", "-o"}).status, 2);
  run = Run({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("/o:NAME"), std::string::npos);
  EXPECT_EQ(temp_.List(), Names{"a.s"});
}

}  // namespace
