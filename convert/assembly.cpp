#include "convert/assembly.h"

#include <cmath>

#include "base/model_limits.h"
#include "base/paths.h"
#include "convert/numbers.h"
#include "convert/run.h"
#include "convert/run_aborted.h"
#include "convert/texture_library.h"
#include "convert/vehicle.h"
#include "platform/files.h"

namespace {

constexpr std::string_view kAce = ".ace";
constexpr std::string_view kTga = ".tga";

void ConvertTexture(Run& run, const std::string& name) {
  TextureOutcome outcome{ShapeFile(run.options), name, TextureOutcome::Status::kNotConverted, {}};
  // A texture name that is absolute or climbs with ".." would have the library write outside
  // the output directory.
  if (name.empty() || LeavesFolder(name)) {
    outcome.reason =
        name.empty() ? "the shape gives no name" : "its name leads out of the output folder";
    run.log.ReportTexture(outcome);
    return;
  }
  // The name keeps its MSTS bytes in the model file (the Skin line); the files are named as
  // this system names them, so that the model file finds the picture once on Windows.
  std::string other;
  std::string wanted = JoinPath(FolderOf(ShapeFile(run.options)), platform::PathFromMstsName(name));
  std::string source = platform::FindPathIgnoringCase(wanted, &other);
  if (!other.empty()) run.log.ReportCaseClash({ShapeFile(run.options), 0, name, source, other});
  std::string destination = platform::ResolveCreatePath(
      run.options.OutputDirectory + "/" + platform::PathFromMstsName(ReplaceAceWithTga(name)));
  // The library would wait on a FIFO or read a device without end: such a name fails the run.
  std::string refused;
  if (platform::FileExists(source) && !platform::IsReadableRegularFile(source, refused))
    throw RunAborted{{wanted, refused}};
  // The library's result decides nothing here; it only tells the log sink what happened.
  int converted = run.options.ConvertAce
                      ? run.options.ConvertAce(source, destination)
                      : TextureLibrary::AceToTga(source.c_str(), destination.c_str());
  if (converted != 0) {
    outcome.status = TextureOutcome::Status::kConverted;
    ++run.written.textures_converted;
  } else if (!platform::FileExists(source)) {
    outcome.status = TextureOutcome::Status::kMissing;
    ++run.written.textures_missing;
  } else {
    outcome.reason = TextureLibrary::IsAvailable() ? "the texture library cannot convert it"
                                                   : "the texture library is not available";
  }
  run.log.ReportTexture(outcome);
}

}  // namespace

std::string ReplaceAceWithTga(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  for (;;) {
    size_t found = text.find(kAce, at);
    if (found == std::string_view::npos) break;
    out.append(text.substr(at, found - at));
    out += kTga;
    at = found + kAce.size();
  }
  out.append(text.substr(at));
  return out;
}

void WriteAssemblySection(Run& run) {
  run.log.AppendLog("Writing assembly");
  WriteText(run.model, "\n\n##--## Assembly ##--##\n");
  run.log.AppendLog("Converting Textures");
  WriteText(run.model, "\n##  Textures used\n");
  int64_t images = WalkCount(run.tables, run.tables.image_count);
  for (int64_t n = 0; n < images; ++n) {
    const std::string& name = ImageAt(run.tables, n);
    WriteText(run.model, "##\t" + name + "\n");
    run.log.AppendLog("\tTexture: " + name);
    ConvertTexture(run, name);
  }
  std::string& out = run.text;
  out = "\nName ";
  out += run.ModelName;
  ++run.written.components;
  out += "\nMillimetric\nLength ";
  double length = static_cast<double>(run.UnitScale) * static_cast<double>(run.options.Length);
  AppendWhole(out, length);
  if (std::isfinite(length) && (length < 0 || length > kMaxModelMillimetres)) {
    run.log.ReportWarning(
        {ShapeFile(run.options), "the model file's Length, outside 0 to " +
                                     std::to_string(static_cast<int64_t>(kMaxModelMillimetres)) +
                                     " mm, is refused by its readers"});
  }
  out += "\n\n";
  WriteText(run.model, out);
  if (!run.options.EngPath.empty()) WriteVehicleParameters(run);
  WriteText(run.model, run.AssemblyIncludes);
}
