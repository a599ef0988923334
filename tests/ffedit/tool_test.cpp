// The ffeditc_unicode executable: its command line, its result file and its failures.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shape_encoder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int exit_code = -1;
  std::string output;  // standard output and standard error together
};

// Runs the tool with arguments in folder, as the converter does: no input, output on a pipe.
ToolRun RunTool(const std::vector<std::string>& arguments, const fs::path& folder) {
  std::vector<std::string> words = {FFEDIT_TOOL_PATH};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  int pipe_ends[2];
  EXPECT_EQ(pipe(pipe_ends), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 2);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = 0;
  ToolRun run;
  int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_ends[1]);
  char buffer[256];
  ssize_t n;
  while ((n = read(pipe_ends[0], buffer, sizeof buffer)) > 0)
    run.output.append(buffer, static_cast<size_t>(n));
  close(pipe_ends[0]);
  if (spawned != 0) return run;
  int status = 0;
  waitpid(pid, &status, 0);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<std::string> ListFolder(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "ffedit-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    std::string problem;
    text_ = ffedit_test::ReadTestData("full.txt");
    ASSERT_TRUE(ffedit_test::EncodeShapeBlocks(text_, blocks_, problem)) << problem;
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path folder_;
  std::string text_;
  std::vector<uint8_t> blocks_;
};

TEST_F(ToolTest, WritesNewAscInItsCurrentFolderAsTheConverterStartsIt) {
  fs::path source = folder_ / "src" / "dash9.s";
  fs::create_directories(source.parent_path());
  fs::create_directories(folder_ / "tool");
  WriteFile(source, ffedit_test::WrapCompressedShape(blocks_));
  ToolRun run = RunTool({source.string(), "/u", "/o:new_asc.s"}, folder_ / "tool");
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(ReadFile(folder_ / "tool" / "new_asc.s"), ffedit_test::MakeTextFile(text_));
  EXPECT_EQ(ListFolder(folder_ / "tool"), std::vector<std::string>{"new_asc.s"});
}

TEST_F(ToolTest, WritesThePlainBinaryFormToAPath) {
  WriteFile(folder_ / "a.s", ffedit_test::WrapBinaryShape(blocks_));
  ToolRun run = RunTool({"a.s", "-o", (folder_ / "out.s").string()}, folder_);
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(ReadFile(folder_ / "out.s"), ffedit_test::MakeTextFile(text_));
}

TEST_F(ToolTest, CopiesATextShapeUnchanged) {
  std::string text = ffedit_test::MakeTextFile("shape ( odd  spacing )\r\n");
  WriteFile(folder_ / "t.s", text);
  ToolRun run = RunTool({"t.s", "/u", "/o:new_asc.s"}, folder_);
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(ReadFile(folder_ / "new_asc.s"), text);
  // Saved without its mark: the mark is added, nothing else changes.
  WriteFile(folder_ / "u.s", text.substr(2));
  run = RunTool({"u.s", "/o:u_out.s"}, folder_);
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(ReadFile(folder_ / "u_out.s"), text);
}

TEST_F(ToolTest, ReplacesAnEarlierResult) {
  WriteFile(folder_ / "new_asc.s", std::string("old"));
  WriteFile(folder_ / "a.s", ffedit_test::WrapBinaryShape(blocks_));
  EXPECT_EQ(RunTool({"a.s", "/u", "/o:new_asc.s"}, folder_).exit_code, 0);
  EXPECT_EQ(ReadFile(folder_ / "new_asc.s"), ffedit_test::MakeTextFile(text_));
}

TEST_F(ToolTest, FailsOnADamagedShapeNamingTokenAndOffsetAndLeavesNothing) {
  std::vector<uint8_t> file = ffedit_test::WrapBinaryShape(blocks_);
  file[32 + 9] = 0x2c;  // the first child of shape (shape_header) becomes token 300
  file[32 + 10] = 0x01;
  WriteFile(folder_ / "bad.s", file);
  ToolRun run = RunTool({"bad.s", "/u", "/o:new_asc.s"}, folder_);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.output.find("token 300 at byte offset 41: unknown token id"), std::string::npos)
      << run.output;
  EXPECT_EQ(ListFolder(folder_), std::vector<std::string>{"bad.s"});
}

TEST_F(ToolTest, FailsOnABlockLongerThanItsParentAndLeavesNothing) {
  std::vector<uint8_t> file = ffedit_test::WrapBinaryShape(blocks_);
  file[32 + 9 + 4 + 3] = 0x7F;  // shape_header's length, far past the end of shape
  WriteFile(folder_ / "long.s", file);
  ToolRun run = RunTool({"long.s", "/u", "/o:new_asc.s"}, folder_);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.output.find("shape_header at byte offset 45: block length"), std::string::npos)
      << run.output;
  EXPECT_EQ(ListFolder(folder_), std::vector<std::string>{"long.s"});
}

TEST_F(ToolTest, FailsOnEveryTruncationOfAShapeAndLeavesNothing) {
  std::vector<uint8_t> file = ffedit_test::WrapCompressedShape(blocks_);
  // Every cut is checked in process by the reader tests; here a spread of cuts runs the tool.
  for (size_t size = 0; size < file.size(); size += 1 + file.size() / 40) {
    WriteFile(folder_ / "cut.s",
              std::vector<uint8_t>(file.begin(), file.begin() + static_cast<long>(size)));
    ToolRun run = RunTool({"cut.s", "/u", "/o:new_asc.s"}, folder_);
    EXPECT_EQ(run.exit_code, 1) << size;
    EXPECT_NE(run.output.find("at byte offset"), std::string::npos) << size << run.output;
    EXPECT_EQ(ListFolder(folder_), std::vector<std::string>{"cut.s"}) << size;
  }
}

TEST_F(ToolTest, ReportsInflatingPastTheStatedSize) {
  std::vector<uint8_t> file = ffedit_test::WrapCompressedShape(blocks_);
  file[8] = static_cast<uint8_t>(file[8] - 1);
  WriteFile(folder_ / "big.s", file);
  ToolRun run = RunTool({"big.s", "/u", "/o:new_asc.s"}, folder_);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.output.find("zlib stream at byte offset"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("inflates past the size stated"), std::string::npos) << run.output;
  EXPECT_EQ(ListFolder(folder_), std::vector<std::string>{"big.s"});
}

TEST_F(ToolTest, FailsOnAMissingSourceOrUnwritableOutput) {
  ToolRun run = RunTool({"missing.s", "/u", "/o:new_asc.s"}, folder_);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.output.find("missing.s"), std::string::npos);
  WriteFile(folder_ / "a.s", ffedit_test::WrapBinaryShape(blocks_));
  run = RunTool({"a.s", "-o", (folder_ / "no" / "such" / "out.s").string()}, folder_);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(ListFolder(folder_), std::vector<std::string>{"a.s"});
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
  EXPECT_TRUE(ListFolder(folder_).empty());
}

}  // namespace
