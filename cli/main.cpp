// shapewright-cli: the conversion of the dialog, from the command line, for batch work.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/version_info.h"
#include "convert/conversion.h"
#include "platform/files.h"
#include "source/source_commands.h"

namespace {

const char kUsage[] =
    "usage: shapewright-cli [--output-dir DIR] [--eng FILE] [--length METRES] [--two-foot]\n"
    "                       SOURCE [SOURCE ...]\n"
    "\n"
    "Converts each MSTS shape (SOURCE.s) into a .stk model file in DIR, with its textures\n"
    "converted from .ace to .tga beside it. A SOURCE that is an ENG or WAG file names the shape\n"
    "and the length, and its vehicle data is carried over. A compressed shape is used through\n"
    "its NAME_ASC.s text twin, which is made beside it when missing.\n"
    "\n"
    "  -o, --output-dir DIR  folder for the model files and textures (default: the current\n"
    "                        folder; created when missing)\n"
    "  --eng FILE            the vehicle's ENG or WAG file, whose physical data is carried over\n"
    "  --length METRES       the vehicle's length (default 0, or the ENG/WAG file's size)\n"
    "  --two-foot            MSTS standard gauge to 2 ft: every length is halved\n"
    "  --version             print the program's file description and version\n"
    "  --help                print this text\n"
    "\n"
    "Progress lines go to standard output, warnings about malformed entries to standard error.\n"
    "The exit status is 1 when any shape could not be converted.\n";

// Progress on stdout; beeps as warnings and failures as errors on stderr, naming files as the
// user gave them rather than in their absolute, lower-cased form.
class ConsoleLog : public LogSink {
 public:
  std::vector<std::pair<std::string, std::string>> names;  // engine path, name as given
  void AppendLog(const std::string& line) override {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
  }
  void Beep(const BeepSite& where) override {
    std::fprintf(stderr, "warning: %s:%ld: expected %s\n", Display(where.file).c_str(), where.line,
                 where.expected.c_str());
  }
  void ReportFileFailure(const FileFailure& failure) override {
    std::fflush(stdout);
    std::fprintf(stderr, "error: %s: %s\n", Display(failure.file).c_str(), failure.reason.c_str());
  }
  // The description file is read twice (for the shape, then for the vehicle data): each
  // include line is reported once.
  void ReportUnreadableInclude(const IncludeFailure& failure) override {
    std::string site = failure.file + ':' + std::to_string(failure.line);
    if (!includes_reported_.insert(site).second) return;
    std::fprintf(stderr, "warning: %s:%ld: cannot read include \"%s\": %s\n",
                 Display(failure.file).c_str(), failure.line, failure.include.c_str(),
                 failure.reason.c_str());
  }

 private:
  std::set<std::string> includes_reported_;

  const std::string& Display(const std::string& path) const {
    for (const auto& [engine, given] : names) {
      if (engine == path) return given;
    }
    return path;
  }
};

// As a file chosen in the dialog: absolute, then lower case.
std::string ChosenPath(const std::string& argument) {
  std::string path = platform::AbsolutePath(argument);
  for (char& c : path) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return path;
}

bool ParseLength(const std::string& text, float& length) {
  const char* end = text.data() + text.size();
  auto [stop, ec] = std::from_chars(text.data(), end, length);
  return ec == std::errc() && stop == end;
}

// As the dialog prepares a chosen file: an ENG/WAG file gives the shape and the length; a
// shape that is not text is used through its twin or decompressed. Then the conversion.
bool PrepareAndConvert(const ConversionOptions& base, bool length_given,
                       const std::string& argument, ConsoleLog& log) {
  ConversionOptions o = base;
  std::string chosen = ChosenPath(argument);
  log.names.emplace_back(chosen, argument);
  SourceOutcome outcome = PrepareChosenSource(chosen, log);
  if (outcome.check == SourceCheck::kFailed) return false;
  o.SourcePath = outcome.source;
  if (!outcome.eng.empty()) {
    o.EngPath = outcome.eng;
    if (outcome.length && !length_given) o.Length = *outcome.length;
    if (o.SourcePath == o.EngPath) {
      log.ReportFileFailure(FileFailure{o.EngPath, "no WagonShape entry names the shape"});
      return false;
    }
  }
  if (outcome.check == SourceCheck::kNeedsDecompression) {
    DecompressOutcome decompressed = DecompressShape(o.SourcePath);
    if (!decompressed.decompressed) {
      log.ReportFileFailure(*decompressed.failure);
      return false;
    }
    o.SourcePath = decompressed.source;
  }
  return RunConversion(o, log);
}

int PrintVersion() {
  CVersionInfo version;
  version.ReadFromModule(nullptr);
  std::printf("%s %s\n", version.GetFileDescription().c_str(), version.GetFileVersion().c_str());
  return 0;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "shapewright-cli: %s\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  ConversionOptions options;
  std::string output_dir = ".";
  std::vector<std::string> sources;
  std::string eng_given;
  bool length_given = false;
  for (int a = 1; a < argc; ++a) {
    std::string arg = argv[a];
    auto value = [&](std::string& out) {
      if (a + 1 >= argc) return false;
      out = argv[++a];
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--version") {
      return PrintVersion();
    } else if (arg == "--output-dir" || arg == "-o") {
      if (!value(output_dir)) return Fail("--output-dir needs a folder");
    } else if (arg == "--eng") {
      std::string eng;
      if (!value(eng)) return Fail("--eng needs a file");
      options.EngPath = ChosenPath(eng);
      eng_given = eng;
    } else if (arg == "--length") {
      std::string text;
      if (!value(text) || !ParseLength(text, options.Length))
        return Fail("--length needs a number of metres");
      length_given = true;
    } else if (arg == "--two-foot") {
      options.TwoFootScale = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Fail("unknown option " + arg + " (see --help)");
    } else {
      sources.push_back(arg);
    }
  }
  if (sources.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string error;
  if (!platform::CreateFolders(output_dir, error)) {
    std::fprintf(stderr, "error: %s: %s\n", output_dir.c_str(), error.c_str());
    return 1;
  }
  options.OutputDirectory = output_dir;
  ConsoleLog log;
  if (!options.EngPath.empty()) log.names.emplace_back(options.EngPath, eng_given);
  int status = 0;
  for (const std::string& source : sources) {
    if (!PrepareAndConvert(options, length_given, source, log)) status = 1;
    std::fflush(stdout);
  }
  return status;
}
