// The ENG/WAG line source: include files, commented-out blocks, nesting and loops.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "convert/eng_file.h"
#include "tests/engine/test_support.h"

namespace {

using Tree = std::map<std::string, std::string>;  // path -> readable text

// Files in memory, UTF-16 without a byte-order mark; each path is its own file.
class MemoryFiles : public EngFileOpener {
 public:
  explicit MemoryFiles(const Tree& texts) {
    for (const auto& [path, text] : texts) bytes_[path] = ShapeText(text).substr(2);
  }
  bool Open(const std::string& path, ByteSource& source, platform::FileIdentity& identity,
            std::string& reason) override {
    opened.push_back(path);
    auto found = bytes_.find(path);
    if (found == bytes_.end()) {
      reason = "No such file or directory";
      return false;
    }
    const auto* data = reinterpret_cast<const unsigned char*>(found->second.data());
    OpenMemorySource(source, data, found->second.size());
    identity.inode = std::hash<std::string>()(path);
    return true;
  }
  std::vector<std::string> opened;

 private:
  std::map<std::string, std::string> bytes_;
};

// Every line up to the end of the chosen file, "|" after each; "$" marks the end's line.
std::string ReadAll(EngFileOpener& files, const std::string& chosen, RecordingLog& log) {
  EngFile eng(files, log);
  std::string reason;
  if (!eng.Open(chosen, reason)) return "cannot open: " + reason;
  std::string lines;
  CurrentLine line;
  for (int guard = 0; guard < 1000; ++guard) {
    eng.ReadLine(line);
    lines += std::string(LineView(line)) + (line.end_of_file ? "$" : "|");
    if (line.end_of_file) break;
  }
  return lines;
}

std::string Reports(const RecordingLog& log) {
  std::string text;
  for (const std::string& line : log.lines) text += line + "\n";
  return text;
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
    RecordingLog log;
    EXPECT_EQ(ReadAll(files, "/t/a.eng", log), c.lines) << c.text;
    EXPECT_EQ(files.opened.size(), 1u) << c.text;
  }
}

TEST(EngFile, IncludesAreReadInPlace) {
  struct Case {
    const char* name;
    Tree files;  // the chosen file is /t/a.eng
    const char* lines;
    const char* reports;
  } cases[] = {
      {"chain of three",
       {{"/t/a.eng", "x\ninclude ( b.inc )\ny\n"},
        {"/t/b.inc", "b1\nInclude ( \"C.inc\" )\nb2"},
        {"/t/c.inc", "c1\n"}},
       "x|b1|c1|b2|y|$",
       ""},
      {"last line of the chosen file",
       {{"/t/a.eng", "x\ninclude ( b.inc )"}, {"/t/b.inc", "b1\n"}},
       "x|b1|$",
       ""},
      {"read again after it ended",
       {{"/t/a.eng", "include ( b.inc )\ninclude ( b.inc )\n"}, {"/t/b.inc", "b1"}},
       "b1|b1|$",
       ""},
      {"a block ends with its file",
       {{"/t/a.eng", "include ( b.inc )\ny\n"}, {"/t/b.inc", "comment (\nz"}},
       "y|$",
       ""},
      {"itself",
       {{"/t/a.eng", "x\ninclude ( [[SameName]] )\ny\n"}},
       "x|y|$",
       "Cannot read include file [[SameName]]\n"},
      {"each other",
       {{"/t/a.eng", "include ( sub/b.inc )\n"}, {"/t/sub/b.inc", "include ( ../a.eng )\nb\n"}},
       "b|$",
       "Cannot read include file ../a.eng\n"},
      {"missing",
       {{"/t/a.eng", "include ( \"Sub\\Missing.inc\" )\nx"}},
       "x$",
       "Cannot read include file Sub\\Missing.inc\n"},
  };
  for (const Case& c : cases) {
    MemoryFiles files(c.files);
    RecordingLog log;
    EXPECT_EQ(ReadAll(files, "/t/a.eng", log), c.lines) << c.name;
    EXPECT_EQ(Reports(log), c.reports) << c.name;
  }
}

TEST(EngFile, AtMostEightFilesAreOpenAtOnce) {
  Tree texts;
  for (int n = 1; n <= 9; ++n) {
    texts["/t/" + std::to_string(n)] = "f" + std::to_string(n) + "\ninclude " +
                                       std::to_string(n + 1) + "\nend" + std::to_string(n);
  }
  MemoryFiles files(texts);
  RecordingLog log;
  EXPECT_EQ(ReadAll(files, "/t/1", log),
            "f1|f2|f3|f4|f5|f6|f7|f8|end8|end7|end6|end5|end4|end3|"
            "end2|end1$");
  EXPECT_EQ(Reports(log), "Cannot read include file 9\n");
  // Included again and again: the reading as a whole stops following includes after 64.
  std::string fan_out;
  for (int n = 0; n < 70; ++n) fan_out += "include ( b.inc )\n";
  MemoryFiles again(Tree{{"/t/a.eng", fan_out}, {"/t/b.inc", "b"}});
  RecordingLog again_log;
  std::string lines = ReadAll(again, "/t/a.eng", again_log);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), 'b'), 64);
  EXPECT_EQ(again_log.lines.size(), 6u);
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
      {"include b.inc", "/t/or/b.inc"},
      {"include ( B.inc", "/t/or/b.inc"},
      {"include ( \"b.inc )", "/t/or/\"b.inc"},  // quotes go only as a pair
      {"include ( (b) )", "/t/or/(b)"},
      {"include ( [[samename]].bak )", "/t/or/a.eng.bak"},
  };
  for (const Case& c : cases) {
    MemoryFiles files(Tree{{"/t/or/a.eng", c.line}});
    RecordingLog log;
    ReadAll(files, "/t/or/a.eng", log);
    ASSERT_EQ(files.opened.size(), 2u) << c.line;
    EXPECT_EQ(files.opened[1], c.opened) << c.line;
  }
}

TEST(EngFile, DiskLookupIgnoresCaseAndKnowsFilesByInode) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() + "/OpenRails");
  test::WriteFile(folder.path() + "/OpenRails/Loco.WAG",
                  ShapeText("\ninclude ( \"..\\\\[[SameName]]\" )\ninclude ( link.inc )\n"
                            "include ( Folder.inc )\nmine"));
  test::WriteFile(folder.path() + "/LOCO.wag", ShapeText("\nparent\n"));
  std::filesystem::create_directory(folder.path() + "/OpenRails/folder.inc");
  ASSERT_EQ(::symlink("Loco.WAG", (folder.path() + "/OpenRails/link.inc").c_str()), 0);
  DiskEngFiles disk;
  RecordingLog log;
  EXPECT_EQ(ReadAll(disk, folder.path() + "/openrails/loco.wag", log), "\xff|\xff|parent|mine$");
  EXPECT_EQ(Reports(log),
            "Cannot read include file link.inc\nCannot read include file Folder.inc\n");
  EXPECT_EQ(ReadAll(disk, folder.path() + "/none.eng", log),
            "cannot open: No such file or directory");
}

}  // namespace
