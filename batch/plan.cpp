#include "batch/plan.h"

#include <map>
#include <set>

#include "base/paths.h"
#include "base/text.h"
#include "platform/folders.h"
#include "source/source_commands.h"

namespace {

bool IsDescriptionName(const std::string& name) {
  std::string lower = ToLowerAscii(name);
  return EndsWith(lower, ".eng") || EndsWith(lower, ".wag");
}

bool IsShapeName(const std::string& name) { return EndsWith(ToLowerAscii(name), ".s"); }

class QuietLog : public LogSink {
 public:
  void AppendLog(const std::string&) override {}
  void Beep(const BeepSite&) override {}
  void ReportFileFailure(const FileFailure&) override {}
};

// The shapes that the description files of one folder name, lower case as the reader of
// description files gives every line.
std::set<std::string> NamedShapes(const std::string& folder,
                                  const std::vector<std::string>& descriptions) {
  std::set<std::string> named;
  QuietLog quiet;
  for (const std::string& file : descriptions) {
    DescriptionEntries entries;
    if (ReadDescriptionFile(JoinPath(folder, file), quiet, entries) && entries.shape_path)
      named.insert(FileName(*entries.shape_path));
  }
  return named;
}

void PlanFolder(const BatchOptions& options, const std::string& source,
                std::vector<PlannedVehicle>& vehicles, std::vector<FileFailure>& errors) {
  std::vector<std::string> files;
  FileFailure failure;
  std::vector<std::pair<std::string, std::string>> skipped;
  bool listed = platform::ListFilesBelow(source, files, failure.file, failure.reason, &skipped);
  for (const auto& [path, reason] : skipped) errors.push_back({path, reason});
  if (!listed) {
    errors.push_back(failure);
    return;
  }
  // Per folder below the source: its description files, and the lower-case names of its shapes.
  std::map<std::string, std::vector<std::string>> descriptions;
  std::map<std::string, std::set<std::string>> shapes;
  for (const std::string& file : files) {
    if (IsDescriptionName(file)) descriptions[FolderOf(file)].push_back(file);
    if (IsShapeName(file)) shapes[FolderOf(file)].insert(ToLowerAscii(FileName(file)));
  }
  std::map<std::string, std::set<std::string>> named;
  if (options.shapes) {
    for (const auto& [folder, list] : descriptions) named[folder] = NamedShapes(source, list);
  }
  size_t found = 0;
  std::string base = OutputBase(options);
  for (const std::string& file : files) {
    std::string folder = FolderOf(file);
    bool take = IsDescriptionName(file);
    if (!take && options.shapes && IsShapeName(file)) {
      std::string lower = ToLowerAscii(FileName(file));
      // A text twin belongs to its compressed shape, which is taken (or named) itself.
      bool twin = EndsWith(lower, "_asc.s") &&
                  shapes[folder].count(lower.substr(0, lower.size() - 6) + ".s") != 0;
      take = !twin && named[folder].count(lower) == 0;
    }
    if (!take) continue;
    ++found;
    vehicles.push_back({JoinPath(source, file), JoinPath(base, JoinPath(folder, Stem(file)))});
  }
  if (found == 0) {
    errors.push_back({source, std::string("no ENG or WAG file below this folder") +
                                  (options.shapes ? ", and no shape" : "")});
  }
}

}  // namespace

bool PlanVehicles(const BatchOptions& options, std::vector<PlannedVehicle>& vehicles,
                  std::vector<FileFailure>& errors) {
  std::string base = OutputBase(options);
  for (const std::string& source : options.sources) {
    if (platform::KindOfPath(source) == platform::PathKind::kFolder) {
      PlanFolder(options, source, vehicles, errors);
    } else {
      vehicles.push_back({source, base});
    }
  }
  return errors.empty();
}
