#include "batch/vehicle_conversion.h"

#include <exception>

#include "base/paths.h"
#include "base/text.h"
#include "batch/vehicle_log.h"
#include "convert/conversion.h"
#include "platform/files.h"

namespace {

// The text of a compressed shape converted from the run's working area: the log says where,
// and a warning says why when the shape's own folder refused its twin.
void NoteKeptText(VehicleLog& log, const std::string& shape, const DecompressOutcome& outcome) {
  log.AppendLog(KeptTextLine(outcome));
  if (outcome.not_beside.empty()) return;
  log.Warn(shape, 0,
           "cannot write " + FileName(outcome.source) + " beside it (" + outcome.not_beside +
               "); its text is kept in " + outcome.source + " for this run");
}

}  // namespace

std::string ChosenPath(const std::string& path) { return platform::AbsolutePath(path); }

StagedVehicle ConvertVehicle(RunContext& context, const PlannedVehicle& vehicle, size_t slot) {
  const BatchOptions& options = context.options;
  StagedVehicle staged;
  staged.result.source = vehicle.source;
  std::string chosen = ChosenPath(vehicle.source);
  VehicleLog log(options.verbosity == Verbosity::kVerbose, vehicle.source, chosen);
  ConversionOptions o;
  o.TwoFootScale = options.two_foot;
  o.Length = options.length.value_or(0.0f);
  if (!options.eng.empty()) {
    o.EngPath = context.eng_chosen;
    log.Name(context.eng_chosen, options.eng);
  }
  o.ConvertAce = [&context](const std::string& ace, const std::string& tga) {
    return context.textures.Convert(ace, tga);
  };
  ConversionResult written;
  bool converted = false;
  try {
    SourceOutcome outcome = PrepareChosenSource(chosen, log);
    bool ready = outcome.check != SourceCheck::kFailed;
    o.SourcePath = outcome.source;
    o.NamePath = outcome.name_path;
    if (ready && !outcome.eng.empty()) {
      o.EngPath = outcome.eng;
      if (outcome.length && !options.length) o.Length = *outcome.length;
      if (o.SourcePath == o.EngPath) {
        std::string reason = "no WagonShape entry names the shape";
        if (!outcome.trouble.empty()) reason += ": " + outcome.trouble;
        log.ReportFileFailure(FileFailure{o.EngPath, reason});
        ready = false;
      }
    }
    if (ready && outcome.check == SourceCheck::kNeedsDecompression) {
      DecompressOutcome decompressed =
          context.decompressions.Get(o.SourcePath, context.convert_another);
      if (decompressed.decompressed) {
        if (!decompressed.kept_in.empty()) {
          NoteKeptText(log, o.SourcePath, decompressed);
          o.ShapePath = o.SourcePath;
        }
        o.SourcePath = decompressed.source;
      } else {
        log.ReportFileFailure(*decompressed.failure);
        ready = false;
      }
    }
    if (ready) {
      staged.stage = context.staging + "/" + std::to_string(slot);
      log.Stage(staged.stage, vehicle.output_folder);
      std::string error;
      if (!platform::CreateFolders(staged.stage, error)) {
        log.Fail("cannot make a working folder in the output folder: " + error);
      } else {
        o.OutputDirectory = staged.stage;
        converted = RunConversion(o, log, written);
      }
    }
  } catch (const std::exception& failure) {
    log.Fail(std::string("the conversion stopped: ") + failure.what());
    converted = false;
  }
  VehicleResult& result = staged.result;
  result.textures_converted = written.textures_converted;
  result.textures_missing = written.textures_missing;
  // The model file lies in the stage itself, where the publisher looks for it; a source whose
  // name holds a separator of its own would have put it elsewhere.
  std::string in_stage = staged.stage + "/";
  if (converted && (written.model_path.compare(0, in_stage.size(), in_stage) != 0 ||
                    LastSeparator(written.model_path) != in_stage.size() - 1)) {
    log.Fail("the conversion wrote no model file");
    converted = false;
  }
  if (converted) {
    staged.model_name = written.model_path.substr(in_stage.size());
    result.components = written.components;
    result.length = written.length;
    result.vehicle = written.vehicle;
  }
  result.converted = converted;
  result.reason = log.reason;
  result.warnings = log.warnings;
  staged.progress = std::move(log.progress);
  staged.diagnostics =
      options.verbosity == Verbosity::kQuiet ? std::move(log.errors) : std::move(log.diagnostics);
  return staged;
}
