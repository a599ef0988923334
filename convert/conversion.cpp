// The conversion run: the source, the model file, the blocks in order, the ending.
#include "convert/conversion.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "base/model_limits.h"
#include "base/text.h"
#include "convert/assembly.h"
#include "convert/hierarchy.h"
#include "convert/numbers.h"
#include "convert/primitives.h"
#include "convert/run.h"
#include "convert/shape_tables.h"
#include "convert/table_reader.h"
#include "platform/files.h"

namespace {

// The UTF-16 byte-order mark in front of the shape text, in bytes: skipped, not checked.
constexpr size_t kByteOrderMarkSize = 2;

// A shape text is UTF-16LE: one whose mark says otherwise ends the run with its encoding
// named. Without a mark the text is read as UTF-16LE all the same, its first two bytes lost.
void StartShapeText(Run& run) {
  if (DetectTextEncoding(run.source) != 0 && run.source.encoding != TextEncoding::kUtf16Le) {
    throw RunAborted{{ShapeFile(run.options), "the shape text is " +
                                                  std::string(EncodingName(run.source.encoding)) +
                                                  "; a shape text must be UTF-16LE"}};
  }
  run.source.encoding = TextEncoding::kUtf16Le;
  SkipBytes(run.source, kByteOrderMarkSize);
}

}  // namespace

bool RunConversion(const ConversionOptions& options, LogSink& log) {
  ConversionResult ignored;
  return RunConversion(options, log, ignored);
}

bool RunConversion(const ConversionOptions& options, LogSink& log, ConversionResult& result) {
  Run run(options, log);
  const uint64_t refused_before = RefusedNumbersWritten();
  run.written.model_path = run.model_path;
  run.written.length = options.Length;
  try {
    log.AppendLog("Reading file");
    std::string reason;
    if (!OpenFileSource(run.source, platform::FindPathIgnoringCase(options.SourcePath), reason)) {
      throw RunAborted{{ShapeFile(options), reason}};
    }
    StartShapeText(run);
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
    ReleaseGeometry(run.tables);
    WriteAssemblySection(run);
    WriteMatrixHierarchy(run);
    if (run.source.read_error != 0) {
      throw RunAborted{{ShapeFile(options), std::strerror(run.source.read_error)}};
    }
    CloseModelFile(run.model);
    CloseSource(run.source);
  } catch (const RunAborted& aborted) {
    DiscardModelFile(run.model);
    CloseSource(run.source);
    result = std::move(run.written);
    log.ReportFileFailure(aborted.failure);
    return false;
  } catch (const std::bad_alloc&) {
    DiscardModelFile(run.model);
    CloseSource(run.source);
    result = std::move(run.written);
    log.ReportFileFailure(
        FileFailure{ShapeFile(options), "not enough memory to convert this shape"});
    return false;
  }
  run.tables = ShapeTables{};
  if (uint64_t refused = RefusedNumbersWritten() - refused_before; refused > 0) {
    log.ReportWarning({ShapeFile(options),
                       "the model file holds " + Plural(refused, "number") +
                           " that its readers refuse: not finite, or beyond " +
                           std::to_string(static_cast<int64_t>(kMaxModelMillimetres)) + " mm"});
  }
  result = std::move(run.written);
  log.AppendLog("\r\n***** FINISHED *****\r\n");
  return true;
}
