// shapewright-cli: the conversion of the dialog, from the command line, for single files and
// whole collections. Reads the arguments and hands the work to the batch driver.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "batch/batch.h"
#include "cli/check.h"
#include "platform/console.h"
#include "platform/interrupts.h"
#include "platform/version_info.h"
#include "platform/whole_file.h"

namespace {

const char kUsage[] =
    "usage: shapewright-cli [OPTION...] SOURCE...\n"
    "\n"
    "Converts MSTS rolling stock into .stk model files, with their textures converted from .ace\n"
    "to .tga beside them. A SOURCE is a file or a folder:\n"
    "  NAME.eng, NAME.wag  a vehicle: its WagonShape entry names the shape (in the same folder)\n"
    "                      and its Size entry the length; its vehicle data is carried over\n"
    "  NAME.s              a shape\n"
    "  FOLDER              every ENG and WAG file below it (any letter case, sorted by path)\n"
    "A compressed shape is used through its NAME_ASC.s text twin, which is made beside it when\n"
    "missing (once, however many vehicles share the shape; an existing twin is never replaced).\n"
    "Where its folder cannot be written, the text is kept in the run's working folder in DIR\n"
    "instead, with a warning, and removed at the end.\n"
    "\n"
    "Files named as sources are written into DIR. A vehicle found below FOLDER is written into\n"
    "DIR/<its folder below FOLDER>/<its ENG/WAG name>/, so vehicles that share a shape never\n"
    "meet. No file written in a run is replaced later in the same run with other content: the\n"
    "later vehicle fails instead (an identical texture written twice is fine).\n"
    "\n"
    "  -o, --output-dir DIR  folder for the model files and textures (default: the current\n"
    "                        folder; created when missing)\n"
    "  --shapes              folders also give every .s file that no ENG/WAG file of its folder\n"
    "                        names (a NAME_ASC.s twin of NAME.s is not taken twice)\n"
    "  --read-only-sources   never write beside the sources: a compressed shape's text is\n"
    "                        kept in the run's working folder, never as a twin beside it\n"
    "  --eng FILE            the ENG or WAG file whose vehicle data shape sources carry (only\n"
    "                        with shape sources)\n"
    "  --length METRES       the vehicles' length, finite and positive (default, or 0: the\n"
    "                        ENG/WAG file's size, in m, ft, in, cm or mm; else 0)\n"
    "  --two-foot            MSTS standard gauge to 2 ft: every length is halved\n"
    "  -j, --jobs N          convert N vehicles at once (default: the number of processors);\n"
    "                        the output is the same for every N\n"
    "  --report FILE.csv     write one row per vehicle: source, model file, status, reason,\n"
    "                        warnings, textures converted and missing, length in metres and\n"
    "                        the Weight, Power, TE and Max values written (RFC 4180 CSV);\n"
    "                        checked before anything is converted: never a source, a model,\n"
    "                        a texture or a picture\n"
    "  -v, --verbose         print the full progress log of every conversion, headed by its "
    "source\n"
    "  -q, --quiet           print only failures and the summary\n"
    "  --preview             also draw each model as NAME.png beside it, and with a folder\n"
    "                        source write the collection page index.html into DIR\n"
    "  --check FILE.stk...   check model files instead (see --check --help)\n"
    "  --version             print the program's file description and version\n"
    "  -h, --help            print this text\n"
    "  --                    the end of the options: what follows are sources\n"
    "\n"
    "Standard output gets one line per vehicle when it is done, in the order of the sources:\n"
    "  ok  SOURCE -> MODEL.stk (N components, N textures[, N warnings])\n"
    "  FAILED SOURCE: reason\n"
    "and at the end: converted N of N vehicles, N failed, N warnings, N textures missing.\n"
    "Standard error gets the warnings (a malformed entry with its file and line; a texture not\n"
    "found or not converted) and the errors, as FILE:LINE: warning: TEXT and FILE: error: TEXT,\n"
    "and, when it is a terminal, a progress line.\n"
    "\n"
    "Exit status: 0 when every vehicle was converted, 1 when any failed, 2 for a usage error.\n"
    "Interrupted (Ctrl+C, a kill, a closed output), a run removes its working folder and ends\n"
    "by the signal: vehicles already in place are whole, the others absent. Working folders\n"
    "that a killed run left in DIR are removed by the next run.\n"
    "\n"
    "Example: shapewright-cli -o converted --report converted/report.csv TRAINSET\n";

// --length: the whole argument one number as std::from_chars reads a float (no blanks, no
// "+"), finite and positive, or 0 for the vehicle's own; stricter than the dialog's Length
// field (ParseLengthField).
bool ParseLengthArgument(const std::string& text, float& length) {
  const char* end = text.data() + text.size();
  auto [stop, ec] = std::from_chars(text.data(), end, length);
  if (length == 0) length = 0;  // -0 too
  return ec == std::errc() && stop == end && std::isfinite(length) && length >= 0;
}

bool ParseJobs(const std::string& text, int& jobs) {
  const char* end = text.data() + text.size();
  auto [stop, ec] = std::from_chars(text.data(), end, jobs);
  return ec == std::errc() && stop == end && jobs >= 1 && jobs <= 1024;
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

int RunCommand(int argc, char** argv) {
  if (IsCheckCommand(argc, argv)) return RunCheckCommand(argc, argv);
  BatchOptions options;
  options.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  bool options_ended = false;
  for (int a = 1; a < argc; ++a) {
    std::string arg = argv[a];
    if (options_ended || arg == "-" || arg.empty() || arg[0] != '-') {
      options.sources.push_back(arg);
      continue;
    }
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
      if (!value(options.output_dir)) return Fail("--output-dir needs a folder");
    } else if (arg == "--eng") {
      if (!value(options.eng)) return Fail("--eng needs a file");
    } else if (arg == "--length") {
      std::string text;
      float length = 0;
      if (!value(text) || !ParseLengthArgument(text, length))
        return Fail("--length needs a finite, positive number of metres (0: the vehicle's own)");
      options.length = length;
    } else if (arg == "--two-foot") {
      options.two_foot = true;
    } else if (arg == "--preview") {
      options.preview = true;
    } else if (arg == "--read-only-sources") {
      options.read_only_sources = true;
    } else if (arg == "--shapes") {
      options.shapes = true;
    } else if (arg == "--jobs" || arg == "-j") {
      std::string text;
      if (!value(text) || !ParseJobs(text, options.jobs))
        return Fail("--jobs needs a number from 1 to 1024");
    } else if (arg.size() > 2 && arg.rfind("-j", 0) == 0 && arg[2] != '-') {
      if (!ParseJobs(arg.substr(2), options.jobs))
        return Fail("--jobs needs a number from 1 to 1024");
    } else if (arg == "--report") {
      if (!value(options.report_path)) return Fail("--report needs a file");
    } else if (arg == "--verbose" || arg == "-v") {
      options.verbosity = Verbosity::kVerbose;
    } else if (arg == "--quiet" || arg == "-q") {
      options.verbosity = Verbosity::kQuiet;
    } else if (arg == "--") {
      options_ended = true;  // what follows are sources, whatever their names
    } else {
      return Fail("unknown option " + arg + " (see --help)");
    }
  }
  if (options.sources.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  // --eng gives shapes their vehicle data: a description file or a folder has its own.
  if (!options.eng.empty()) {
    for (const std::string& source : options.sources) {
      std::string lower = ToLowerAscii(source);
      if (platform::IsFolder(source) || EndsWith(lower, ".eng") || EndsWith(lower, ".wag"))
        return Fail("--eng applies to shape sources only, not to " + source);
    }
    if (!platform::IsRegularFile(options.eng))
      return Fail("--eng " + options.eng + ": no such file");
  }
  options.progress = options.verbosity != Verbosity::kQuiet && platform::StandardErrorIsTerminal();
  // Before any thread starts: an interrupt then removes the run's working files.
  platform::WatchInterrupts();
  return RunBatch(options, stdout, stderr);
}

}  // namespace

int main(int argc, char** argv) {
  // The arguments as UTF-8 with "/" between names, whatever the system gave.
  std::vector<std::string> arguments = platform::ReadArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return RunCommand(static_cast<int>(arguments.size()), pointers.data());
}
