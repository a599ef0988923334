// The ffeditc_unicode executable: its command line, its result file and its failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shape_encoder.h"
#include "tests/common/common.h"

namespace {

struct ToolRun {
  int exit_code = -1;
  std::string output;  // standard output and standard error together
};

// Runs the tool with arguments in folder, as the converter does.
ToolRun RunTool(const std::vector<std::string>& arguments, const std::string& folder) {
  test::ProgramRun run = test::RunProgram(FFEDIT_TOOL_PATH, arguments, folder);
  return {run.status, run.out + run.err};
}

class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = temp_.path();
    std::string problem;
    text_ = ffedit_test::ReadTestData("full.txt");
    ASSERT_TRUE(ffedit_test::EncodeShapeBlocks(text_, blocks_, problem)) << problem;
  }
  test::TempFolder temp_;
  std::string folder_;
  std::string text_;
  std::vector<uint8_t> blocks_;
};

TEST_F(ToolTest, WritesNewAscInItsCurrentFolderAsTheConverterStartsIt) {
  std::string source = temp_.Write("src/dash9.s", ffedit_test::WrapCompressedShape(blocks_));
  temp_.Write("tool/new_asc.s", "old");  // an earlier result is replaced
  ToolRun run = RunTool({source, "/u", "/o:new_asc.s"}, temp_.File("tool"));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(test::ReadFile(temp_.File("tool/new_asc.s")), ffedit_test::MakeTextFile(text_));
  EXPECT_EQ(temp_.List("tool"), std::vector<std::string>{"new_asc.s"});
}

TEST_F(ToolTest, WritesThePlainBinaryFormToAPath) {
  temp_.Write("a.s", ffedit_test::WrapBinaryShape(blocks_));
  ToolRun run = RunTool({"a.s", "-o", temp_.File("out.s")}, folder_);
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(test::ReadFile(temp_.File("out.s")), ffedit_test::MakeTextFile(text_));
}

TEST_F(ToolTest, CopiesATextShapeUnchanged) {
  std::string text = ffedit_test::MakeTextFile("shape ( odd  spacing )\r\n");
  temp_.Write("t.s", text);
  ToolRun run = RunTool({"t.s", "/u", "/o:new_asc.s"}, folder_);
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(test::ReadFile(temp_.File("new_asc.s")), text);
  // Saved without its mark: the mark is added, nothing else changes.
  temp_.Write("u.s", text.substr(2));
  run = RunTool({"u.s", "/o:u_out.s"}, folder_);
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(test::ReadFile(temp_.File("u_out.s")), text);
}

// The reader tests check every kind of damage; here each kind reaches the user as an exit status
// and a message naming what and where, and leaves no result behind.
TEST_F(ToolTest, FailsOnADamagedShapeNamingTokenAndOffsetAndLeavesNothing) {
  std::vector<uint8_t> unknown = ffedit_test::WrapBinaryShape(blocks_);
  unknown[32 + 9] = 0x2c;  // the first child of shape (shape_header) becomes token 300
  unknown[32 + 10] = 0x01;
  std::vector<uint8_t> too_long = ffedit_test::WrapBinaryShape(blocks_);
  too_long[32 + 9 + 4 + 3] = 0x7F;  // shape_header's length, far past the end of shape
  std::vector<uint8_t> inflates = ffedit_test::WrapCompressedShape(blocks_);
  inflates[8] = static_cast<uint8_t>(inflates[8] - 1);
  std::vector<std::pair<std::vector<uint8_t>, std::string>> cases = {
      {unknown, "token 300 at byte offset 41: unknown token id"},
      {too_long, "shape_header at byte offset 45: block length"},
      {inflates, "zlib stream at byte offset"},
  };
  // A spread of cuts of the compressed form.
  std::vector<uint8_t> file = ffedit_test::WrapCompressedShape(blocks_);
  for (size_t size = 0; size < file.size(); size += 1 + file.size() / 40)
    cases.emplace_back(std::vector<uint8_t>(file.begin(), file.begin() + long(size)),
                       "at byte offset");
  for (const auto& [bytes, message] : cases) {
    temp_.Write("bad.s", bytes);
    ToolRun run = RunTool({"bad.s", "/u", "/o:new_asc.s"}, folder_);
    EXPECT_EQ(run.exit_code, 1) << message;
    EXPECT_NE(run.output.find(message), std::string::npos) << run.output;
    EXPECT_EQ(temp_.List(), std::vector<std::string>{"bad.s"}) << message;
  }
}

TEST_F(ToolTest, FailsOnAMissingSourceOrUnwritableOutput) {
  ToolRun run = RunTool({"missing.s", "/u", "/o:new_asc.s"}, folder_);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.output.find("missing.s"), std::string::npos);
  temp_.Write("a.s", ffedit_test::WrapBinaryShape(blocks_));
  run = RunTool({"a.s", "-o", temp_.File("no/such/out.s")}, folder_);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(temp_.List(), std::vector<std::string>{"a.s"});
}

TEST_F(ToolTest, AnswersAWrongCommandLineWithUsage) {
  ToolRun run = RunTool({}, folder_);
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.output.find("usage: ffeditc_unicode"), std::string::npos);
  EXPECT_EQ(RunTool({"a.s", "/u"}, folder_).exit_code, 2);
  EXPECT_EQ(RunTool({"a.s", "b.s", "/o:x"}, folder_).exit_code, 2);
  EXPECT_EQ(RunTool({"a.s", "-o"}, folder_).exit_code, 2);
  run = RunTool({"--help"}, folder_);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.output.find("/o:NAME"), std::string::npos);
  EXPECT_TRUE(temp_.List().empty());
}

}  // namespace
