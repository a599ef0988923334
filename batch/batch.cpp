#include "batch/batch.h"

#include <string>
#include <vector>

#include "base/diagnostic.h"
#include "base/text.h"
#include "batch/plan.h"
#include "batch/previews.h"
#include "batch/report.h"
#include "batch/scheduler.h"
#include "platform/files.h"
#include "platform/whole_file.h"

namespace {

void PrintError(std::FILE* err, const std::string& file, const std::string& text) {
  std::fputs(DiagnosticLine(file, 0, Severity::kError, text).c_str(), err);
}

}  // namespace

int RunBatch(const BatchOptions& options, std::FILE* out, std::FILE* err) {
  std::vector<PlannedVehicle> vehicles;
  std::vector<FileFailure> errors;
  bool planned = PlanVehicles(options, vehicles, errors);
  for (const FileFailure& error : errors) PrintError(err, error.file, error.reason);
  std::string problem;
  if (!options.report_path.empty() && !CheckReportPath(options, vehicles, problem)) {
    PrintError(err, options.report_path, problem);
    return 2;
  }
  std::string base = OutputBase(options);
  std::string error;
  bool output_folder = base.empty() || platform::CreateFolders(base, error);
  std::vector<VehicleResult> results;
  if (output_folder) {
    results = ConvertVehicles(options, vehicles, out, err);
  } else {
    PrintError(err, base, error);
    results = FailVehicles(vehicles, "cannot make the output folder: " + error, out);
  }

  // Every vehicle is done: what looks at the whole collection comes here.
  bool outputs_written = output_folder;
  // Through a file beside it: a report is complete or as it was.
  if (!options.report_path.empty() &&
      !platform::WriteWholeFile(options.report_path, FormatReport(results), error)) {
    PrintError(err, options.report_path, "cannot write the report: " + error);
    outputs_written = false;
  }
  if (options.preview && output_folder && !WriteBatchPreviews(options, results, out, err))
    outputs_written = false;

  long converted = 0, warnings = 0, missing = 0;
  for (const VehicleResult& r : results) {
    converted += r.converted ? 1 : 0;
    warnings += r.warnings;
    missing += r.textures_missing;
  }
  long failed = static_cast<long>(results.size()) - converted;
  std::fprintf(out, "converted %ld of %s, %ld failed, %s, %s missing\n", converted,
               Plural(results.size(), "vehicle").c_str(), failed,
               Plural(warnings, "warning").c_str(), Plural(missing, "texture").c_str());
  std::fflush(out);
  return failed == 0 && planned && outputs_written ? 0 : 1;
}
