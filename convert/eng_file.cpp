#include "convert/eng_file.h"

#include <cerrno>
#include <cstring>

#include "base/paths.h"
#include "base/text.h"

namespace {

constexpr std::string_view kIncludeKeyword = "include";
constexpr std::string_view kSameName = "[[samename]]";

// The balance of "(" over ")" on a line.
int64_t ParenthesesLeftOpen(std::string_view line) {
  int64_t open = 0;
  for (char c : line) {
    if (c == '(') ++open;
    if (c == ')') --open;
  }
  return open;
}

void AppendReplacingSameName(std::string& out, std::string_view part, std::string_view name) {
  for (;;) {
    size_t at = part.find(kSameName);
    if (at == std::string_view::npos) break;
    out.append(part.substr(0, at));
    out.append(name);
    part.remove_prefix(at + kSameName.size());
  }
  out.append(part);
}

}  // namespace

std::string IncludePath(const std::string& including, std::string_view text) {
  std::string name = FileName(including);
  std::string relative = platform::PathFromMstsName(text);
  std::string_view parts = relative;
  std::string path;
  bool first = true;
  size_t at = 0;
  while (at < parts.size()) {
    size_t end = parts.find('/', at);
    if (end == std::string_view::npos) end = parts.size();
    if (end > at) {
      if (!first) path += '/';
      first = false;
      AppendReplacingSameName(path, parts.substr(at, end - at), name);
    }
    at = end + 1;
  }
  return JoinPath(FolderOf(including), path);
}

bool DiskEngFiles::Open(const std::string& path, ByteSource& source,
                        platform::FileIdentity& identity, std::string& reason) {
  if (!OpenFileSource(source, platform::FindPathIgnoringCase(path), reason)) return false;
  if (source.total_bytes > kMaxEngFileBytes) {
    reason = "larger than any description file (" + std::to_string(source.total_bytes) +
             " bytes; at most " + std::to_string(kMaxEngFileBytes) + ")";
    CloseSource(source);
    return false;
  }
  if (!platform::IdentifyOpenFile(source.file, identity)) {
    reason = std::strerror(errno != 0 ? errno : EIO);
    CloseSource(source);
    return false;
  }
  return true;
}

std::string DiskEngFiles::FindIgnoringCase(const std::string& path, std::string& other) {
  return platform::FindPathIgnoringCase(path, &other);
}

EngFile::EngFile(EngFileOpener& opener, LogSink& log) : opener_(opener), log_(log) {
  // Frames never move once made: a source's position points into its own buffer.
  frames_.reserve(kMaxOpenEngFiles);
}

EngFile::~EngFile() {
  for (Frame& frame : frames_) CloseSource(frame.source);
}

bool EngFile::Open(const std::string& path, std::string& reason) {
  for (Frame& frame : frames_) CloseSource(frame.source);
  frames_.clear();
  includes_read_ = 0;
  Frame& chosen = frames_.emplace_back();
  chosen.path = path;
  line_file_ = path;
  if (!opener_.Open(path, chosen.source, chosen.identity, reason)) {
    frames_.clear();
    return false;
  }
  DetectTextEncoding(chosen.source);
  return true;
}

int EngFile::ReadError() const { return frames_.empty() ? 0 : frames_.front().source.read_error; }

std::string EngFile::Trouble() const {
  return frames_.empty() ? std::string() : TextTrouble(frames_.front().source);
}

void EngFile::Report(const Frame& frame, const std::string& include, const std::string& reason) {
  log_.ReportUnreadableInclude(IncludeFailure{frame.path, frame.line_number, include, reason});
}

void EngFile::ReadLine(CurrentLine& line) {
  for (;;) {
    if (frames_.empty() || (frames_.size() == 1 && frames_.back().ended)) {
      line.text.clear();
      line.begin = line.end = 0;
      line.end_of_file = true;
      return;
    }
    Frame& frame = frames_.back();
    if (frame.ended) {
      if (frame.source.read_error != 0) {
        Report(frames_[frames_.size() - 2], frame.path, std::strerror(frame.source.read_error));
      }
      CloseSource(frame.source);
      frames_.pop_back();
      continue;
    }
    bool end_of_file = false;
    ReadShapeLine(frame.source, line.text, end_of_file);
    ++frame.line_number;
    line.begin = 0;
    line.end = line.text.size();
    line.number = frame.line_number;
    line.end_of_file = false;
    if (end_of_file) {
      frame.ended = true;
      // Only the chosen file's end is the end; an include's last line counts when it has text.
      if (frames_.size() == 1) {
        line.end_of_file = true;
      } else if (line.text.empty()) {
        continue;
      }
    }
    raw_ = line.text;
    NormaliseLine(line);
    line_file_ = frame.path;
    line_number_ = frame.line_number;
    if (PassesOver(frame, LineView(line))) continue;
    if (LineStartsWith(line, kIncludeKeyword)) {
      FollowInclude(line);
      continue;
    }
    return;
  }
}

bool EngFile::PassesOver(Frame& frame, std::string_view line) {
  if (frame.open_parentheses > 0) {
    frame.open_parentheses += ParenthesesLeftOpen(line);
    if (frame.open_parentheses < 0) frame.open_parentheses = 0;
    return true;
  }
  if (line.starts_with("comment") || line.starts_with("skip")) {
    int64_t open = ParenthesesLeftOpen(line);
    if (open > 0) {
      frame.open_parentheses = open;
      return true;
    }
  }
  return false;
}

void EngFile::FollowInclude(const CurrentLine& line) {
  // The path: between the first "(" and the last ")", trimmed, one pair of quotes removed.
  std::string_view view = LineView(line);
  size_t open = view.find('(');
  size_t start = open == std::string_view::npos ? kIncludeKeyword.size() : open + 1;
  size_t close = view.rfind(')');
  size_t stop = close == std::string_view::npos || close < start ? view.size() : close;
  while (start < stop && IsCSpace(view[start])) ++start;
  while (stop > start && IsCSpace(view[stop - 1])) --stop;
  if (stop - start >= 2 && view[start] == '"' && view[stop - 1] == '"') {
    ++start;
    --stop;
  }
  // The line is normalised in place, so the letters as written sit at the same places.
  std::string as_written = raw_.substr(line.begin + start, stop - start);
  Frame& including = frames_.back();
  if (frames_.size() >= kMaxOpenEngFiles) {
    Report(including, as_written, "include files nest more than 8 deep");
    return;
  }
  if (includes_read_ >= kMaxEngIncludes) {
    Report(including, as_written, "more than 64 include files for one description file");
    return;
  }
  std::string path = IncludePath(including.path, view.substr(start, stop - start));
  std::string other;
  std::string found = opener_.FindIgnoringCase(path, other);
  if (!other.empty()) {
    log_.ReportCaseClash({including.path, including.line_number, as_written, found, other});
  }
  Frame frame;
  frame.path = path;
  std::string reason;
  if (!opener_.Open(path, frame.source, frame.identity, reason)) {
    Report(including, as_written, reason);
    return;
  }
  for (const Frame& reading : frames_) {
    if (reading.identity == frame.identity) {
      CloseSource(frame.source);
      Report(including, as_written, "the file is already being read (the includes form a loop)");
      return;
    }
  }
  ++includes_read_;
  frames_.push_back(std::move(frame));
  DetectTextEncoding(frames_.back().source);
}
