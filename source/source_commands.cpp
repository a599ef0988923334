#include "source/source_commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "convert/numbers.h"
#include "convert/shape_reader.h"
#include "platform/files.h"
#include "platform/process.h"

namespace {

size_t LastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

// The path up to, not including, its last separator; empty when there is none.
std::string FolderOf(const std::string& path) {
  size_t cut = LastSeparator(path);
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool EndsWith(const std::string& text, const char* tail) {
  size_t n = std::strlen(tail);
  return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

void MakeLowerCase(std::string& text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

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

}  // namespace

void AppendLog(DialogState& state, DialogHooks& hooks, const std::string& line) {
  state.LogLineCount += 1;
  state.LogText += line;
  state.LogText += "\r\n";
  hooks.WriteControls(state);
  hooks.ShowLog(state);
}

void EmptyLog(DialogState& state) {
  state.LogText.clear();
  state.LogLineCount = 0;
}

std::string ShapeToolPath() { return platform::ProgramFolder() + "/FFEDIT/ffeditc_unicode"; }

bool ReadDescriptionFile(DialogState& state, DialogHooks& hooks) {
  ConversionOptions& o = state.options;
  ByteSource file;
  errno = 0;
  if (!OpenFileSource(file, platform::FindPathIgnoringCase(o.EngPath))) {
    hooks.ShowFileError(FileFailure{o.EngPath, std::strerror(errno)});
    return false;
  }
  AppendLog(state, hooks, "Reading description file");
  bool shape_seen = false;
  bool size_seen = false;
  CurrentLine line;
  while (!(shape_seen && size_seen)) {
    ReadNextLine(file, line);
    NormaliseLine(line);
    if (LineStartsWith(line, "wagonshape")) {
      CutShapeName(line);
      size_t cut = LastSeparator(o.SourcePath);
      std::string folder =
          cut == std::string::npos ? std::string() : o.SourcePath.substr(0, cut + 1);
      o.SourcePath = folder + std::string(LineView(line));
      hooks.WriteControls(state);
      shape_seen = true;
    }
    if (LineStartsWith(line, "size")) {
      size_seen = true;
      SkipPast(line, '(');
      SkipPast(line, ' ');
      SkipPast(line, ' ');
      o.Length = RoundToFloat(ReadLeadingDouble(LineView(line)));
    }
    if (line.end_of_file) break;
  }
  CloseSource(file);
  hooks.WriteControls(state);
  return true;
}

SourceCheck CheckForDecompressedFile(DialogState& state, DialogHooks& hooks) {
  ConversionOptions& o = state.options;
  errno = 0;
  std::FILE* file = std::fopen(platform::FindPathIgnoringCase(o.SourcePath).c_str(), "rb");
  if (file == nullptr) {
    hooks.ShowFileError(FileFailure{o.SourcePath, std::strerror(errno)});
    return SourceCheck::kFailed;
  }
  unsigned char start[100];
  size_t got = std::fread(start, 1, sizeof start, file);
  std::fclose(file);
  // Both bytes of the UTF-16 mark FF FE are 0x80 or above; a shorter file is not text.
  SourceCheck result = SourceCheck::kNeedsDecompression;
  if (got >= 2 && start[0] >= 0x80 && start[1] >= 0x80) {
    result = SourceCheck::kReady;
  } else {
    AppendLog(state, hooks, "Checking for decompressed file");
    std::string twin = o.SourcePath.substr(0, o.SourcePath.size() - 2) + "_ASC.s";
    std::FILE* twin_file = std::fopen(platform::FindPathIgnoringCase(twin).c_str(), "rb");
    if (twin_file != nullptr) {
      std::fclose(twin_file);
      o.SourcePath = twin;
      hooks.WriteControls(state);
      result = SourceCheck::kReady;
    }
  }
  state.DecompressEnabled = result == SourceCheck::kNeedsDecompression;
  state.ConvertEnabled = result == SourceCheck::kReady;
  return result;
}

void BrowseSource(DialogState& state, DialogHooks& hooks) {
  std::string program_folder = platform::ProgramFolder();
  hooks.ReadControls(state);
  EmptyLog(state);
  ConversionOptions& o = state.options;
  std::string start = !o.SourcePath.empty()            ? FolderOf(o.SourcePath)
                      : !state.SavedSourcePath.empty() ? FolderOf(state.SavedSourcePath)
                                                       : program_folder;
  std::string chosen;
  if (!hooks.ChooseSourceFile(start, chosen)) return;
  o.EngPath.clear();
  o.SourcePath = chosen;
  hooks.WriteControls(state);
  MakeLowerCase(o.SourcePath);
  if (EndsWith(o.SourcePath, ".eng") || EndsWith(o.SourcePath, ".wag")) {
    o.EngPath = o.SourcePath;
    if (!ReadDescriptionFile(state, hooks)) return;
  }
  if (EndsWith(o.SourcePath, ".s")) {
    if (CheckForDecompressedFile(state, hooks) == SourceCheck::kFailed) return;
  }
  hooks.WriteControls(state);
}

std::string DecompressSource(DialogState& state, DialogHooks& hooks, bool* decompressed) {
  if (decompressed != nullptr) *decompressed = false;
  hooks.SetWaitCursor(true);
  const std::string source = state.options.SourcePath;
  size_t cut = LastSeparator(source);
  std::string folder = cut == std::string::npos ? std::string() : source.substr(0, cut);
  std::string name = cut == std::string::npos ? source : source.substr(cut + 1);
  hooks.ReadControls(state);
  size_t dot = name.rfind('.');
  std::string decompressed_name =
      (dot == std::string::npos ? std::string() : name.substr(0, dot)) + "_ASC.s";
  EmptyLog(state);
  // The tool runs in a private folder of its own, so that no result of an earlier run can be
  // taken for this one, and the program's folder may stay read-only.
  std::string work = platform::MakeTemporaryFolder();
  std::string output;
  if (!work.empty()) {
    std::string shape = platform::FindPathIgnoringCase(folder + "/" + name);
    output = platform::RunCaptured(ShapeToolPath(), {shape, "/u", "/o:new_asc.s"}, work);
    std::string result = work + "/new_asc.s";
    if (std::FILE* file = std::fopen(result.c_str(), "r")) {
      std::fclose(file);
      std::string target = folder + "/" + decompressed_name;
      std::string target_on_disk = platform::ResolveCreatePath(target);
      // An existing twin is never replaced, and the source still switches to it.
      platform::MoveFileNoReplace(result, target_on_disk);
      if (std::FILE* moved = std::fopen(platform::FindPathIgnoringCase(target).c_str(), "rb")) {
        std::fclose(moved);
        state.options.SourcePath = target;
        hooks.WriteControls(state);
        state.DecompressEnabled = false;
        state.ConvertEnabled = true;
        hooks.WriteControls(state);
        if (decompressed != nullptr) *decompressed = true;
      }
    }
    platform::RemoveFolder(work);
  }
  hooks.SetWaitCursor(false);
  return output;
}
