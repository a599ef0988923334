// ffeditc_unicode: writes the UTF-16 text form of a shape stored as text, binary or compressed.
//   ffeditc_unicode SOURCE /u /o:NAME    (NAME relative to the current directory)
//   ffeditc_unicode SOURCE -o PATH
// The result is written under a temporary name and renamed when complete, so a failed run
// leaves nothing behind. Exit 0 on success, 1 when the source cannot be read or converted,
// 2 for a wrong command line.
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "binary_shape.h"
#include "file_access.h"
#include "shape_text.h"
#include "simis_file.h"

namespace {

static_assert(std::endian::native == std::endian::little,
              "the text is written as the host holds it");

constexpr const char* kUsage =
    "usage: ffeditc_unicode SOURCE [/u] /o:NAME\n"
    "       ffeditc_unicode SOURCE [/u] -o PATH\n"
    "Writes the UTF-16 text form of the MSTS shape SOURCE (text, binary or compressed).\n"
    "  /o:NAME     write to NAME (relative to the current directory)\n"
    "  -o PATH     write to PATH\n"
    "  /u          UTF-16 text, the only form written (accepted for compatibility)\n"
    "  -h, --help  show this text\n";

struct CommandLine {
  std::string source;
  std::string output;
  bool help = false;
};

// Only the exact options are taken as options: a source path may itself start with '/'.
bool ParseCommandLine(const std::vector<std::string>& argv, CommandLine& command,
                      std::string& problem) {
  size_t argc = argv.size();
  for (size_t i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      command.help = true;
    } else if (argument == "/u" || argument == "/U") {
      continue;
    } else if (argument.size() > 3 &&
               (argument.compare(0, 3, "/o:") == 0 || argument.compare(0, 3, "/O:") == 0)) {
      command.output = argument.substr(3);
    } else if (argument == "-o") {
      if (i + 1 >= argc) {
        problem = "-o needs a path";
        return false;
      }
      command.output = argv[++i];
    } else if (command.source.empty()) {
      command.source = argument;
    } else {
      problem = "unexpected argument: " + argument;
      return false;
    }
  }
  if (command.help) return true;
  if (command.source.empty())
    problem = "no source shape given";
  else if (command.output.empty())
    problem = "no output given (/o:NAME or -o PATH)";
  return problem.empty();
}

// Turns the source bytes into the text file's bytes; the text forms pass through.
bool ConvertShape(const std::vector<uint8_t>& source, std::string& prefix, const char*& body,
                  size_t& body_size, ffedit::TextBuffer& text, std::string& problem) {
  ffedit::SimisContent content;
  ffedit::ReadError error;
  if (!ffedit::ReadSimisFile(source.data(), source.size(), content, error)) {
    problem = ffedit::DescribeReadError(error);
    return false;
  }
  if (content.form == ffedit::StorageForm::kText ||
      content.form == ffedit::StorageForm::kTextWithoutMark) {
    if (content.form == ffedit::StorageForm::kTextWithoutMark) prefix = "\xFF\xFE";
    body = reinterpret_cast<const char*>(source.data());
    body_size = source.size();
    return true;
  }
  ffedit::ShapeTree tree;
  bool decompressed = content.form == ffedit::StorageForm::kCompressed;
  if (!ffedit::ReadBinaryShape(content.data.data(), content.data.size(), content.file_offset,
                               decompressed, tree, error)) {
    problem = ffedit::DescribeReadError(error);
    return false;
  }
  ffedit::WriteShapeText(tree, text);
  body = reinterpret_cast<const char*>(text.data());
  body_size = 2 * text.size();
  return true;
}

int RunTool(int argc, char** argv) {
  CommandLine command;
  std::string problem;
  if (!ParseCommandLine(ffedit::ReadProgramArguments(argc, argv), command, problem)) {
    std::fprintf(stderr, "ffeditc_unicode: %s\n%s", problem.c_str(), kUsage);
    return 2;
  }
  if (command.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::vector<uint8_t> source;
  std::string prefix;
  ffedit::TextBuffer text;
  const char* body = nullptr;
  size_t body_size = 0;
  if (!ffedit::ReadWholeFile(command.source, source, problem) ||
      !ConvertShape(source, prefix, body, body_size, text, problem) ||
      !ffedit::WriteFileAtomically(command.output, prefix, body, body_size, problem)) {
    std::fprintf(stderr, "ffeditc_unicode: %s: %s\n", command.source.c_str(), problem.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return RunTool(argc, argv);
  } catch (const std::exception& failure) {
    // Only allocation can throw here: a shape too large for the memory at hand.
    std::fprintf(stderr, "ffeditc_unicode: %s\n", failure.what());
    return 1;
  }
}
