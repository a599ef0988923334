#include "source/source_commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/paths.h"
#include "convert/eng_file.h"
#include "convert/numbers.h"
#include "convert/shape_reader.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/process.h"

namespace {

// The "wagonshape" value: between the first "(" and the first ")" after it, trimmed.
void CutShapeName(CurrentLine& line) {
  std::string_view view = LineView(line);
  size_t open = view.find('(');
  if (open != std::string_view::npos) {
    line.begin += open + 1;
    view.remove_prefix(open + 1);
  }
  size_t close = view.find(')');
  line.end = close == std::string_view::npos ? line.begin : line.begin + close;
  TrimLine(line);
}

// The size entry's length in metres: a plain number is metres, as is "m"; "ft", "in", "cm"
// and "mm" are converted. Another unit is taken as metres, with a warning at its line.
float ReadLength(std::string_view value, const EngFile& file, LogSink& log) {
  double metres = ReadLeadingDouble(value);
  if (const GluedUnit* unit = FindGluedUnit(value, kLengthUnits)) {
    metres *= unit->factor;
  } else if (!GluedUnitText(value).empty()) {
    log.Beep(BeepSite{
        file.LineFile(), file.LineNumber(),
        "a length unit m, ft, in, cm or mm, not \"" + std::string(GluedUnitText(value)) + "\""});
  }
  return RoundToFloat(metres);
}

// The file path leads to, looked up without regard to letter case; a second match in another
// case, neither exact, is reported.
std::string FindReportingClash(const std::string& path, LogSink& log) {
  std::string other;
  std::string found = platform::FindPathIgnoringCase(path, &other);
  if (!other.empty()) log.ReportCaseClash({path, 0, FileName(path), found, other});
  return found;
}

}  // namespace

std::optional<SourceButtons> ButtonsAfter(SourceCheck check) {
  switch (check) {
    case SourceCheck::kReady:
      return SourceButtons{true, false};
    case SourceCheck::kNeedsDecompression:
      return SourceButtons{false, true};
    case SourceCheck::kNotChecked:
    case SourceCheck::kFailed:
      break;
  }
  return std::nullopt;
}

std::string ChooserStartFolder(const std::string& source, const std::string& saved_source,
                               const std::string& program_folder) {
  if (!source.empty()) return FolderOf(source);
  if (!saved_source.empty()) return FolderOf(saved_source);
  return program_folder;
}

std::string ShapeToolPath() { return platform::ProgramFolder() + "/FFEDIT/ffeditc_unicode"; }

bool ReadDescriptionFile(const std::string& eng_path, LogSink& log, DescriptionEntries& entries) {
  DiskEngFiles disk;
  EngFile file(disk, log);
  std::string reason;
  if (!file.Open(eng_path, reason)) {
    log.ReportFileFailure(FileFailure{eng_path, reason});
    return false;
  }
  log.AppendLog("Reading description file");
  bool shape_seen = false;
  bool size_seen = false;
  CurrentLine line;
  while (!(shape_seen && size_seen)) {
    file.ReadLine(line);
    if (LineStartsWith(line, "wagonshape")) {
      CutShapeName(line);
      // The shape sits beside the file that names it, which may be an included one.
      entries.shape_path =
          JoinPath(FolderOf(file.LineFile()), platform::PathFromMstsName(LineView(line)));
      shape_seen = true;
    }
    if (LineStartsWith(line, "size")) {
      size_seen = true;
      SkipPast(line, '(');
      SkipPast(line, ' ');
      SkipPast(line, ' ');
      entries.length = ReadLength(LineView(line), file, log);
    }
    if (line.end_of_file) break;
  }
  if (!shape_seen) entries.trouble = file.Trouble();
  return true;
}

ShapeCheck CheckForDecompressedFile(const std::string& shape_path, LogSink& log) {
  ShapeCheck result{SourceCheck::kFailed, shape_path};
  std::string reason;
  uint64_t size = 0;
  std::FILE* file = platform::OpenRegularFile(FindReportingClash(shape_path, log), reason, size);
  if (file == nullptr) {
    log.ReportFileFailure(FileFailure{shape_path, reason});
    return result;
  }
  unsigned char start[100];
  size_t got = std::fread(start, 1, sizeof start, file);
  std::fclose(file);
  // Both bytes of the UTF-16 mark FF FE are 0x80 or above; a shorter file is not text.
  if (got >= 2 && start[0] >= 0x80 && start[1] >= 0x80) {
    result.check = SourceCheck::kReady;
    return result;
  }
  log.AppendLog("Checking for decompressed file");
  result.check = SourceCheck::kNeedsDecompression;
  std::string twin = shape_path.substr(0, shape_path.size() - 2) + "_ASC.s";
  std::FILE* twin_file = platform::OpenRegularFile(FindReportingClash(twin, log), reason, size);
  if (twin_file != nullptr) {
    std::fclose(twin_file);
    result.source = twin;
    result.check = SourceCheck::kReady;
  }
  return result;
}

SourceOutcome PrepareChosenSource(const std::string& chosen, LogSink& log) {
  SourceOutcome outcome;
  outcome.source = chosen;
  std::string kind = ToLowerAscii(chosen);
  if (EndsWith(kind, ".eng") || EndsWith(kind, ".wag")) {
    outcome.eng = chosen;
    DescriptionEntries entries;
    if (!ReadDescriptionFile(outcome.eng, log, entries)) {
      outcome.check = SourceCheck::kFailed;
      return outcome;
    }
    outcome.description_read = true;
    if (entries.shape_path) outcome.source = *entries.shape_path;
    outcome.length = entries.length;
    outcome.trouble = entries.trouble;
  }
  // A description file without a shape entry leaves its own path as the source: not checked.
  if (EndsWith(ToLowerAscii(outcome.source), ".s")) {
    outcome.name_path = JoinPath(FolderOf(outcome.source), ToLowerAscii(FileName(outcome.source)));
    ShapeCheck shape = CheckForDecompressedFile(outcome.source, log);
    outcome.check = shape.check;
    outcome.source = shape.source;
  }
  return outcome;
}

namespace {

// The tool's own folder: private, so that no result of an earlier run can be taken for this
// one, and the program's folder may stay read-only.
std::string MakeToolFolder(const TwinPlace& place) {
  if (place.private_parent.empty()) return platform::MakeTemporaryFolder();
  std::string ignored;
  platform::CreateFolders(place.private_parent, ignored);
  return platform::MakeTemporaryFolderIn(place.private_parent);
}

// Moves the tool's result beside the shape as target, or finds a twin already there (never
// replaced). False with the system's reason when the folder does not take it.
bool PlaceTwinBeside(const std::string& result, const std::string& target, std::string& reason) {
  errno = 0;
  bool moved = platform::MoveFileNoReplace(result, platform::ResolveCreatePath(target));
  int move_error = errno;
  uint64_t size = 0;
  if (std::FILE* file =
          platform::OpenRegularFile(platform::FindPathIgnoringCase(target), reason, size)) {
    std::fclose(file);
    return true;
  }
  reason = std::strerror(moved || move_error == 0 ? ENOENT : move_error);
  return false;
}

}  // namespace

DecompressOutcome DecompressShape(const std::string& shape_path, const TwinPlace& place) {
  DecompressOutcome outcome;
  std::string folder = FolderOf(shape_path);
  std::string name = FileName(shape_path);
  size_t dot = name.rfind('.');
  std::string decompressed_name =
      (dot == std::string::npos ? std::string() : name.substr(0, dot)) + "_ASC.s";
  std::string work = MakeToolFolder(place);
  bool tool_gave_text = false;
  if (!work.empty()) {
    std::string shape = platform::FindPathIgnoringCase(JoinPath(folder, name));
    outcome.tool_output =
        platform::RunCaptured(ShapeToolPath(), {shape, "/u", "/o:new_asc.s"}, work);
    std::string result = work + "/new_asc.s";
    if (platform::FileExists(result)) {
      tool_gave_text = true;
      std::string target = JoinPath(folder, decompressed_name);
      if (place.beside && PlaceTwinBeside(result, target, outcome.not_beside)) {
        outcome.source = target;
        outcome.decompressed = true;
      } else if (!place.private_parent.empty()) {
        std::string kept = work + "/" + decompressed_name;
        std::string error;
        if (platform::ReplaceFile(result, kept, error)) {
          outcome.source = kept;
          outcome.kept_in = work;
          outcome.decompressed = true;
          return outcome;
        }
      }
    }
    platform::RemoveFolder(work);
  }
  if (!outcome.decompressed) {
    std::string reason = outcome.tool_output;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    if (work.empty()) {
      reason = "cannot make a scratch folder for the shape tool";
    } else if (tool_gave_text && outcome.not_beside.empty()) {
      reason = "cannot move the shape tool's result";
    } else if (tool_gave_text) {
      reason = "cannot write " + decompressed_name + " beside it: " + outcome.not_beside;
    } else if (reason.empty()) {
      reason = "the shape tool " + ShapeToolPath() + " gave no result";
    }
    outcome.failure = FileFailure{shape_path, "cannot decompress: " + reason};
  }
  return outcome;
}

std::string KeptTextLine(const DecompressOutcome& outcome) {
  return "Decompressed text kept in " + outcome.source;
}
