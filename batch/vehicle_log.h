// The log of one vehicle: kept until its turn to be printed comes, so that every vehicle's
// lines stay together and in source order whatever the number of jobs. Paths are shown as the
// user gave them, and every warning and error in the one diagnostic format (base/diagnostic.h).
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "convert/log_sink.h"

class VehicleLog : public LogSink {
 public:
  // given: the source as the user named it; chosen: the path the engine reads it by.
  VehicleLog(bool verbose, const std::string& given, const std::string& chosen);
  // Shows engine_path as given in messages (the --eng file).
  void Name(const std::string& engine_path, const std::string& given);
  // Shows a file written into stage as the file in output_folder it was to become: a failure
  // there names the user's file and says that nothing was replaced.
  void Stage(const std::string& stage, const std::string& output_folder);

  void AppendLog(const std::string& line) override;
  void Beep(const BeepSite& where) override;
  void ReportFileFailure(const FileFailure& failure) override;
  void ReportUnreadableInclude(const IncludeFailure& failure) override;
  void ReportCaseClash(const CaseClash& clash) override;
  void ReportWarning(const FileWarning& warning) override;
  void ReportTexture(const TextureOutcome& texture) override;
  // A failure found by the batch itself, outside the engine.
  void Fail(const std::string& message);
  // A warning about file (as the engine names it) at line (0: the whole file).
  void Warn(const std::string& file, long line, const std::string& text);

  std::string progress;     // the full log, with terminal line ends (only when verbose)
  std::string diagnostics;  // warning and error lines for standard error, in order
  std::string errors;       // the error lines alone, for --quiet
  std::string reason;       // the first failure
  int warnings = 0;

 private:
  void Error(const std::string& file, const std::string& text);
  std::string Display(const std::string& path) const;

  bool verbose_;
  std::set<std::string> includes_reported_, clashes_reported_;
  std::string given_folder_, chosen_folder_;
  std::vector<std::pair<std::string, std::string>> names_;  // engine path, as given
  std::string stage_, output_folder_;
};
