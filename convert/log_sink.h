// What a conversion reports while it runs: progress lines, malformed entries, file failures,
// include files not followed, names that match files in two letter cases, files that gave
// nothing, and the fate of each texture. The dialog and the command line each implement
// LogSink; the engine and the source preparation report through it.
#pragma once

#include <string>

// Where a malformed entry or an out-of-range index was met in the shape text.
struct BeepSite {
  std::string file;      // the shape (or ENG/WAG) path being read
  long line = 0;         // 1-based line number in that file
  std::string expected;  // what was expected there, e.g. "\"point\"" or "point index below 12"
};

// A file that could not be opened, created, read or written, with the system's reason.
struct FileFailure {
  std::string file;
  std::string reason;
};

// An include line of an ENG/WAG file that was not followed: its file could not be read, it
// would nest too deep, or it is already being read. Reading goes on after the line.
struct IncludeFailure {
  std::string file;     // the file holding the include line
  long line = 0;        // 1-based line number in that file
  std::string include;  // the path as the line gives it
  std::string reason;
};

// A name looked up without regard to letter case that matches two files, neither in the
// name's own case: the lookup takes the first in byte order. The run goes on with it.
struct CaseClash {
  std::string file;  // the file that names it
  long line = 0;     // 1-based line number in that file; 0 when not known
  std::string name;  // the name as the file gives it
  std::string used;  // the path taken
  std::string other;
};

// A file the run went on with, and what may be wrong with it: it gave nothing, or the model
// file holds what its readers refuse (a number that is not finite, an INCLUDE cycle).
struct FileWarning {
  std::string file;
  std::string text;
};

// What became of one texture that the shape names.
struct TextureOutcome {
  enum class Status { kConverted, kMissing, kNotConverted };
  std::string shape;    // the shape path being converted
  std::string texture;  // the name as the shape gives it
  Status status = Status::kConverted;
  std::string reason;  // why it was not converted
};

// The log and the diagnostics of a run. The dialog and the command line implement it.
class LogSink {
 public:
  virtual ~LogSink() = default;
  // One progress line; the front end shows it followed by "\r\n".
  virtual void AppendLog(const std::string& line) = 0;
  // A malformed entry: the dialog sounds the system beep, the command line prints a warning.
  virtual void Beep(const BeepSite& where) = 0;
  // The run ended early on a file failure; no further line is logged.
  virtual void ReportFileFailure(const FileFailure& failure) = 0;
  // An include file that was not read; the run goes on. The dialog logs one line for it.
  virtual void ReportUnreadableInclude(const IncludeFailure& failure) {
    AppendLog("Cannot read include file " + failure.include);
  }
  // A name that matches two files; the dialog logs one line for it.
  virtual void ReportCaseClash(const CaseClash& clash) {
    AppendLog(clash.name + " matches both " + clash.used + " and " + clash.other);
  }
  // A file that gave nothing; the dialog logs one line for it.
  virtual void ReportWarning(const FileWarning& warning) {
    AppendLog(warning.file + ": " + warning.text);
  }
  // Each texture of the assembly's list, after its conversion. The dialog keeps silent about
  // textures; a batch counts and reports them.
  virtual void ReportTexture(const TextureOutcome& texture) { (void)texture; }
};
