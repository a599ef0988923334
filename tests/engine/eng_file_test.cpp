// The ENG/WAG line source: include files, commented-out blocks, nesting and loops.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "convert/eng_file.h"
#include "tests/engine/test_support.h"

namespace {

using Tree = std::map<std::string, std::string>;  // path -> readable text

// Files in memory, UTF-16 without a byte-order mark; each path is its own file.
struct MemoryFiles : EngFileOpener {
  explicit MemoryFiles(const Tree& texts) {
    for (const auto& [path, text] : texts) bytes[path] = ShapeText(text).substr(2);
  }
  bool Open(const std::string& path, ByteSource& source, platform::FileIdentity& identity,
            std::string& reason) override {
    opened.push_back(path);
    auto found = bytes.find(path);
    if (found == bytes.end()) {
      reason = "No such file or directory";
      return false;
    }
    OpenMemorySource(source, reinterpret_cast<const unsigned char*>(found->second.data()),
                     found->second.size());
    identity.inode = std::hash<std::string>()(path);
    return true;
  }
  Tree bytes;
  std::vector<std::string> opened;
};

// Every line up to the end of the chosen file, "|" after each and "$" after the end's line;
// then each line logged, ";" after each.
std::string ReadAll(EngFileOpener& files, const std::string& chosen) {
  RecordingLog log;
  EngFile eng(files, log);
  std::string reason;
  if (!eng.Open(chosen, reason)) return "cannot open: " + reason;
  std::string lines;
  CurrentLine line;
  for (int guard = 0; guard < 1000 && !line.end_of_file; ++guard) {
    eng.ReadLine(line);
    lines += std::string(LineView(line)) + (line.end_of_file ? "$" : "|");
  }
  for (const std::string& logged : log.lines) lines += logged + ";";
  return lines;
}

TEST(EngFile, CommentAndSkipBlocks) {
  struct Case {
    const char* text;
    const char* lines;
  } cases[] = {
      {"a\nComment ( x )\nb", "a|comment ( x )|b$"},  // balanced on its line: ordinary
      {"a\nComment (\nMass ( 5 )\n)\nb\n", "a|b|$"},
      {"Skip ( x (\n y ) z\n mass ( 1 ) )\nb\n", "b|$"},  // nested parentheses
      {"comment ( (\nx ) ) ) mass ( 2 )\nb\n", "b|$"},    // the closing line goes whole
      {"comment )\ncomment\n(\nb\n", "comment )|comment|(|b|$"},
      {"a\ncommentary ( (\ninclude ( x )\nb", "a|$"},  // never closes: ends with its file
  };
  for (const Case& c : cases) {
    MemoryFiles files(Tree{{"/t/a.eng", c.text}});
    EXPECT_EQ(ReadAll(files, "/t/a.eng"), c.lines) << c.text;
    EXPECT_EQ(files.opened.size(), 1u) << c.text;
  }
}

TEST(EngFile, IncludesAreReadInPlace) {
  const struct {
    Tree files;  // the chosen file is /t/a.eng
    const char* lines;
  } cases[] = {
      {{{"/t/a.eng", "x\ninclude ( b.inc )\ny\n"},
        {"/t/b.inc", "b1\nInclude ( \"C.inc\" )\nb2"},
        {"/t/c.inc", "c1\n"}},
       "x|b1|c1|b2|y|$"},
      {{{"/t/a.eng", "x\ninclude ( b.inc )"}, {"/t/b.inc", "b1\n"}}, "x|b1|$"},
      {{{"/t/a.eng", "include ( b.inc )\ninclude ( b.inc )\n"}, {"/t/b.inc", "b1"}}, "b1|b1|$"},
      {{{"/t/a.eng", "include ( b.inc )\ny\n"}, {"/t/b.inc", "comment (\nz"}}, "y|$"},
      {{{"/t/a.eng", "x\ninclude ( [[SameName]] )\ny\n"}},
       "x|y|$Cannot read include file [[SameName]];"},
      {{{"/t/a.eng", "include ( sub/b.inc )\n"}, {"/t/sub/b.inc", "include ( ../a.eng )\nb\n"}},
       "b|$Cannot read include file ../a.eng;"},
      {{{"/t/a.eng", "include ( \"Sub\\Missing.inc\" )\nx"}},
       "x$Cannot read include file Sub\\Missing.inc;"},
  };
  for (const auto& c : cases) {
    MemoryFiles files(c.files);
    EXPECT_EQ(ReadAll(files, "/t/a.eng"), c.lines) << c.files.begin()->second;
  }
}

TEST(EngFile, AtMostEightFilesAreOpenAtOnceAnd64AreRead) {
  Tree texts;
  for (int n = 1; n <= 9; ++n) {
    texts["/t/" + std::to_string(n)] = "f" + std::to_string(n) + "\ninclude " +
                                       std::to_string(n + 1) + "\nend" + std::to_string(n);
  }
  MemoryFiles files(texts);
  EXPECT_EQ(ReadAll(files, "/t/1"),
            "f1|f2|f3|f4|f5|f6|f7|f8|end8|end7|end6|end5|end4|end3|end2|end1$"
            "Cannot read include file 9;");
  std::string fan_out;
  for (int n = 0; n < 70; ++n) fan_out += "include ( b.inc )\n";
  MemoryFiles again(Tree{{"/t/a.eng", fan_out}, {"/t/b.inc", "b"}});
  // Included again and again: the reading as a whole follows no more than 64 includes.
  std::string expected;
  for (int n = 0; n < 64; ++n) expected += "b|";
  expected += "$";
  for (int n = 0; n < 6; ++n) expected += "Cannot read include file b.inc;";
  EXPECT_EQ(ReadAll(again, "/t/a.eng"), expected);
}

TEST(EngFile, PathFromTheIncludeLine) {
  struct Case {
    const char* line;
    const char* opened;
  } cases[] = {
      {"include ( \"b.inc\" )", "/t/or/b.inc"},
      {"Include ( \"..\\\\[[SameName]]\" )", "/t/or/../a.eng"},
      {"include ( ../x\\y//z.inc )", "/t/or/../x/y/z.inc"},
      {"include ( /b.inc )", "/t/or/b.inc"},  // not absolute
      {"include ( B.inc", "/t/or/b.inc"},
      {"include ( \"b.inc )", "/t/or/\"b.inc"},  // quotes go only as a pair
      {"include ( (b) )", "/t/or/(b)"},
      {"include ( [[samename]].bak )", "/t/or/a.eng.bak"},
      {"include ( ..\\\xDC\\\xE9.inc )", "/t/or/../\xC3\x9C/\xC3\xA9.inc"},  // Latin-1 to UTF-8
  };
  for (const Case& c : cases) {
    MemoryFiles files(Tree{{"/t/or/a.eng", c.line}});
    ReadAll(files, "/t/or/a.eng");
    ASSERT_EQ(files.opened.size(), 2u) << c.line;
    EXPECT_EQ(files.opened[1], c.opened) << c.line;
  }
}

}  // namespace
