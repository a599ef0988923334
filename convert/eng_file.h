// The lines of an ENG/WAG description file as its readers see them: include files read in
// place, commented-out and skipped blocks passed over. The vehicle parameters and the source
// preparation both read through it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/log_sink.h"
#include "convert/shape_reader.h"
#include "platform/files.h"

// Where the chosen file and its include files come from.
class EngFileOpener {
 public:
  virtual ~EngFileOpener() = default;
  // Opens path for reading from its first byte and tells its identity (two names of one file
  // give the same). False, with the reason, when it cannot be read.
  virtual bool Open(const std::string& path, ByteSource& source, platform::FileIdentity& identity,
                    std::string& reason) = 0;
  // The file that Open(path) reaches, and in other a second file that path matches as well
  // when letter case is ignored, neither in path's own case (else other is empty).
  virtual std::string FindIgnoringCase(const std::string& path, std::string& other) {
    other.clear();
    return path;
  }
};

// The disk: each folder and the name looked up without regard to letter case.
class DiskEngFiles : public EngFileOpener {
 public:
  bool Open(const std::string& path, ByteSource& source, platform::FileIdentity& identity,
            std::string& reason) override;
  std::string FindIgnoringCase(const std::string& path, std::string& other) override;
};

// The file that an include line names: text (the path as the line gives it, made a path by
// platform::PathFromMstsName) with "[[samename]]" standing for including's file name, split at
// every run of "/" and "\", empty parts dropped, and joined with "/" onto including's folder
// (so a leading separator does not make it absolute).
std::string IncludePath(const std::string& including, std::string_view text);

// A description file or include larger than this is refused: real ones hold a few hundred
// kilobytes, and a path that leads to a huge file would otherwise be read to its end.
inline constexpr uint64_t kMaxEngFileBytes = uint64_t{16} << 20;
// At most this many files are read at once, the chosen file counted.
inline constexpr size_t kMaxOpenEngFiles = 8;
// At most this many include files are read for one chosen file: a file may be included again
// after it ended, and without a limit a few files that each include the next several times
// would be read an exponential number of times.
inline constexpr size_t kMaxEngIncludes = 64;

class EngFile {
 public:
  EngFile(EngFileOpener& opener, LogSink& log);
  ~EngFile();
  EngFile(const EngFile&) = delete;
  EngFile& operator=(const EngFile&) = delete;

  // Opens the chosen file. False, with the reason, when it cannot be read.
  bool Open(const std::string& path, std::string& reason);

  // The next line, trimmed and in lower case. An include line is replaced by the lines of its
  // file (an include that cannot be followed is reported through the log and dropped); a
  // "comment" or "skip" line that leaves parentheses open drops itself and the lines up to the
  // one that closes them, within its own file. end_of_file is set only for the end of the
  // chosen file; after it every call gives an empty line.
  void ReadLine(CurrentLine& line);

  // The path of the file that the last line came from (the chosen file's path as given to
  // Open, or an include's path built on it).
  const std::string& LineFile() const { return line_file_; }
  // Its 1-based line number in that file.
  long LineNumber() const { return line_number_; }
  // errno of a failed read of the chosen file, 0 when none.
  int ReadError() const;
  // What may have kept the chosen file from being read as lines (see TextTrouble), as far as
  // it has been read; empty when nothing.
  std::string Trouble() const;

 private:
  struct Frame {
    ByteSource source;
    std::string path;
    platform::FileIdentity identity;
    long line_number = 0;
    int64_t open_parentheses = 0;  // of the comment or skip block being passed over
    bool ended = false;            // the last line has been read; the frame closes next
  };

  bool PassesOver(Frame& frame, std::string_view line);
  void FollowInclude(const CurrentLine& line);
  void Report(const Frame& frame, const std::string& include, const std::string& reason);

  EngFileOpener& opener_;
  LogSink& log_;
  std::vector<Frame> frames_;  // the chosen file first, the file being read last
  size_t includes_read_ = 0;
  std::string raw_;  // the current line before lower-casing, for messages
  std::string line_file_;
  long line_number_ = 0;
};
