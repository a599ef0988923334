// The conversion run: names and paths, the source, the model file, the blocks in order.
#include "convert/conversion.h"

#include <cerrno>
#include <cstring>
#include <new>

#include "convert/numbers.h"
#include "convert/run.h"
#include "platform/files.h"

namespace {

constexpr size_t kModelFlushSize = 1 << 16;

// The base name of every component: the file name cut at its first ".", and before an
// "_ASC" that does not start it.
std::string MakeModelName(const std::string& source_path) {
  size_t cut = LastSeparator(source_path);
  std::string name = cut == std::string::npos ? source_path : source_path.substr(cut + 1);
  size_t dot = name.find('.');
  name = dot == std::string::npos ? std::string() : name.substr(0, dot);
  size_t asc = name.find("_ASC");
  if (asc != std::string::npos && asc > 0) name.resize(asc);
  return name;
}

void FlushModelFile(ModelFile& model) {
  if (model.pending.empty()) return;
  size_t written = std::fwrite(model.pending.data(), 1, model.pending.size(), model.file);
  if (written != model.pending.size()) {
    int error = errno != 0 ? errno : EIO;
    throw RunAborted{{model.path, std::strerror(error)}};
  }
  model.pending.clear();
}

}  // namespace

// OutputDirectory as entered, then the source's separator and file name up to its last ".",
// with every "_ASC" removed, then ".stk".
std::string MakeModelPath(const ConversionOptions& options) {
  const std::string& source = options.SourcePath;
  size_t cut = LastSeparator(source);
  std::string tail = cut == std::string::npos ? source : source.substr(cut);
  size_t dot = tail.rfind('.');
  tail = dot == std::string::npos ? std::string() : tail.substr(0, dot);
  std::string name;
  for (size_t at = 0; at < tail.size();) {
    if (tail.compare(at, 4, "_ASC") == 0) {
      at += 4;
    } else {
      name += tail[at++];
    }
  }
  return options.OutputDirectory + name + ".stk";
}

std::string QuotedKeyword(std::string_view keyword) {
  std::string quoted;
  quoted.reserve(keyword.size() + 2);
  quoted += '"';
  quoted += keyword;
  quoted += '"';
  return quoted;
}

void BeepAt(Run& run, std::string expected) {
  run.log.Beep(BeepSite{run.options.SourcePath, run.line.number, std::move(expected)});
}

void AbortAtEndOfText(Run& run) {
  if (run.source.read_error != 0) {
    throw RunAborted{{run.options.SourcePath, std::strerror(run.source.read_error)}};
  }
  throw RunAborted{{run.options.SourcePath, "unexpected end of shape text"}};
}

void SeekSectionOrAbort(Run& run, std::string_view keyword) {
  if (!SeekSection(run.source, run.line, keyword)) AbortAtEndOfText(run);
}

void ReadLine(Run& run) { ReadNextLine(run.source, run.line); }

void ReadNormalisedLine(Run& run) {
  ReadNextLine(run.source, run.line);
  NormaliseLine(run.line);
}

float ReadFloatField(const Run& run) { return RoundToFloat(ReadLeadingDouble(LineView(run.line))); }

int32_t ReadIntField(const Run& run) { return ReadLeadingInt(LineView(run.line)); }

bool CreateModelFile(ModelFile& model, const std::string& path) {
  model.path = path;
  model.file = std::fopen(platform::ResolveCreatePath(path).c_str(), "wb");
  return model.file != nullptr;
}

void WriteText(ModelFile& model, std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    size_t newline = text.find('\n', at);
    if (newline == std::string_view::npos) {
      model.pending.append(text.substr(at));
      break;
    }
    model.pending.append(text.substr(at, newline - at));
    model.pending += "\r\n";
    at = newline + 1;
  }
  if (model.pending.size() >= kModelFlushSize) FlushModelFile(model);
}

void WriteWhenLarge(ModelFile& model, std::string& piece) {
  if (piece.size() < kModelFlushSize) return;
  WriteText(model, piece);
  piece.clear();
}

void CloseModelFile(ModelFile& model) {
  FlushModelFile(model);
  std::FILE* file = model.file;
  model.file = nullptr;
  if (std::fflush(file) != 0 || std::ferror(file)) {
    int error = errno != 0 ? errno : EIO;
    std::fclose(file);
    throw RunAborted{{model.path, std::strerror(error)}};
  }
  if (std::fclose(file) != 0) throw RunAborted{{model.path, std::strerror(errno)}};
}

void DiscardModelFile(ModelFile& model) {
  if (model.file == nullptr) return;
  // Keep what was written up to the failure, as far as the file takes it.
  if (!model.pending.empty())
    std::fwrite(model.pending.data(), 1, model.pending.size(), model.file);
  std::fclose(model.file);
  model.file = nullptr;
}

bool RunConversion(const ConversionOptions& options, LogSink& log) {
  Run run{options, log, {}, {}, {}, {}, 1000.0f, {}, {}, {}, {}, {}};
  run.UnitScale = options.TwoFootScale ? 500.0f : 1000.0f;
  run.ModelName = MakeModelName(options.SourcePath);
  run.model_path = MakeModelPath(options);
  try {
    log.AppendLog("Reading file");
    errno = 0;
    if (!OpenFileSource(run.source, platform::FindPathIgnoringCase(options.SourcePath))) {
      throw RunAborted{{options.SourcePath, std::strerror(errno)}};
    }
    SkipBytes(run.source, 2);
    ReadLine(run);
    ReadShapeTables(run);
    // No walk over a table goes past the number of characters the shape text has.
    uint64_t characters =
        (run.source.total_bytes != 0 ? run.source.total_bytes : run.source.consumed) / 2;
    run.tables.walk_limit = static_cast<int64_t>(characters) + 1;
    errno = 0;
    if (!CreateModelFile(run.model, run.model_path)) {
      throw RunAborted{{run.model_path, std::strerror(errno)}};
    }
    WriteHeaderComment(run);
    WriteSubObjects(run);
    WriteAssemblySection(run);
    WriteMatrixHierarchy(run);
    if (run.source.read_error != 0) {
      throw RunAborted{{options.SourcePath, std::strerror(run.source.read_error)}};
    }
    CloseModelFile(run.model);
    CloseSource(run.source);
  } catch (const RunAborted& aborted) {
    DiscardModelFile(run.model);
    CloseSource(run.source);
    log.ReportFileFailure(aborted.failure);
    return false;
  } catch (const std::bad_alloc&) {
    DiscardModelFile(run.model);
    CloseSource(run.source);
    log.ReportFileFailure(
        FileFailure{options.SourcePath, "not enough memory to convert this shape"});
    return false;
  }
  run.tables = ShapeTables{};
  log.AppendLog("\r\n***** FINISHED *****\r\n");
  return true;
}
