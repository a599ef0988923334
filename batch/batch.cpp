#include "batch/batch.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "base/text.h"
#include "batch/previews.h"
#include "batch/report.h"
#include "convert/conversion.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "source/source_commands.h"

namespace {

std::string Lower(std::string text) {
  LowerAsciiInPlace(text);
  return text;
}

bool IsDescriptionName(const std::string& name) {
  std::string lower = Lower(name);
  return EndsWith(lower, ".eng") || EndsWith(lower, ".wag");
}

bool IsShapeName(const std::string& name) { return EndsWith(Lower(name), ".s"); }

// folder, a "/" and rest; rest alone when folder is empty.
std::string Join(const std::string& folder, const std::string& rest) {
  if (folder.empty()) return rest;
  if (folder.back() == '/') return folder + rest;
  return folder + "/" + rest;
}

std::string FolderPart(const std::string& path) {
  size_t cut = path.rfind('/');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string NamePart(const std::string& path) {
  size_t cut = LastSeparator(path);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string WithoutExtension(const std::string& name) {
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// As a file chosen in the dialog: absolute, then lower case.
std::string ChosenPath(const std::string& path) { return Lower(platform::AbsolutePath(path)); }

std::string Plural(long count, const char* noun) {
  std::string text = std::to_string(count) + " " + noun;
  if (count != 1) text += 's';
  return text;
}

// The base of every output path: the output folder as given, "" for the current folder.
std::string OutputBase(const BatchOptions& options) {
  return options.output_dir == "." ? std::string() : options.output_dir;
}

class QuietLog : public LogSink {
 public:
  void AppendLog(const std::string&) override {}
  void Beep(const BeepSite&) override {}
  void ReportFileFailure(const FileFailure&) override {}
};

// The shapes that the description files of one folder name, lower case.
std::set<std::string> NamedShapes(const std::string& folder,
                                  const std::vector<std::string>& descriptions) {
  std::set<std::string> named;
  QuietLog quiet;
  for (const std::string& file : descriptions) {
    DescriptionEntries entries;
    if (ReadDescriptionFile(Join(folder, file), quiet, entries) && entries.shape_path)
      named.insert(Lower(NamePart(*entries.shape_path)));
  }
  return named;
}

void PlanFolder(const BatchOptions& options, const std::string& source,
                std::vector<PlannedVehicle>& vehicles, std::vector<std::string>& errors) {
  std::vector<std::string> files;
  std::string error;
  if (!platform::ListFilesBelow(source, files, error)) {
    errors.push_back(error);
    return;
  }
  // Per folder below the source: its description files, and the lower-case names of its shapes.
  std::map<std::string, std::vector<std::string>> descriptions;
  std::map<std::string, std::set<std::string>> shapes;
  for (const std::string& file : files) {
    if (IsDescriptionName(file)) descriptions[FolderPart(file)].push_back(file);
    if (IsShapeName(file)) shapes[FolderPart(file)].insert(Lower(NamePart(file)));
  }
  std::map<std::string, std::set<std::string>> named;
  if (options.shapes) {
    for (const auto& [folder, list] : descriptions) named[folder] = NamedShapes(source, list);
  }
  size_t found = 0;
  std::string base = OutputBase(options);
  for (const std::string& file : files) {
    std::string folder = FolderPart(file);
    std::string name = NamePart(file);
    bool take = IsDescriptionName(file);
    if (!take && options.shapes && IsShapeName(file)) {
      std::string lower = Lower(name);
      // A text twin belongs to its compressed shape, which is taken (or named) itself.
      bool twin = EndsWith(lower, "_asc.s") &&
                  shapes[folder].count(lower.substr(0, lower.size() - 6) + ".s") != 0;
      take = !twin && named[folder].count(lower) == 0;
    }
    if (!take) continue;
    ++found;
    vehicles.push_back({Join(source, file), Join(base, Join(folder, WithoutExtension(name)))});
  }
  if (found == 0) {
    errors.push_back(source + ": no ENG or WAG file below this folder" +
                     std::string(options.shapes ? ", and no shape" : ""));
  }
}

// One decompression per shape in a run, whichever vehicle asks first; the others wait for it.
class SharedDecompressions {
 public:
  DecompressOutcome Get(const std::string& shape) {
    std::promise<DecompressOutcome> promise;
    std::shared_future<DecompressOutcome> result;
    bool mine = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto found = running_.find(shape);
      if (found == running_.end()) {
        result = promise.get_future().share();
        running_.emplace(shape, result);
        mine = true;
      } else {
        result = found->second;
      }
    }
    if (mine) {
      try {
        promise.set_value(DecompressShape(shape));
      } catch (...) {
        promise.set_exception(std::current_exception());
      }
    }
    return result.get();
  }

 private:
  std::mutex mutex_;
  std::map<std::string, std::shared_future<DecompressOutcome>> running_;
};

// The log of one vehicle: kept until its turn to be printed comes, so that every vehicle's
// lines stay together and in source order whatever the number of jobs.
class VehicleLog : public LogSink {
 public:
  VehicleLog(bool verbose, const std::string& given, const std::string& chosen)
      : verbose_(verbose), given_folder_(FolderPart(given)), chosen_folder_(FolderPart(chosen)) {
    names_.emplace_back(chosen, given);
  }
  void Name(const std::string& engine_path, const std::string& given) {
    names_.emplace_back(engine_path, given);
  }

  void AppendLog(const std::string& line) override {
    if (!verbose_) return;
    // The dialog's log ends every line with CR LF itself; a terminal wants one LF per line.
    std::string_view text = line;
    if (EndsWith(line, "\r\n")) {
      text.remove_suffix(2);
    } else if (EndsWith(line, "\n")) {
      text.remove_suffix(1);
    }
    for (char c : text) {
      if (c != '\r') progress += c;
    }
    progress += '\n';
  }
  void Beep(const BeepSite& where) override {
    Warn(Display(where.file) + ":" + std::to_string(where.line) + ": expected " + where.expected);
  }
  void ReportFileFailure(const FileFailure& failure) override {
    diagnostics += "error: " + Display(failure.file) + ": " + failure.reason + "\n";
    if (reason.empty()) {
      std::string file = Display(failure.file);
      reason = file == names_.front().second ? failure.reason : file + ": " + failure.reason;
    }
  }
  // The description file is read twice (for the shape, then for the vehicle data): each
  // include line is reported once.
  void ReportUnreadableInclude(const IncludeFailure& failure) override {
    std::string site = failure.file + ':' + std::to_string(failure.line);
    if (!includes_reported_.insert(site).second) return;
    Warn(Display(failure.file) + ":" + std::to_string(failure.line) + ": cannot read include \"" +
         failure.include + "\": " + failure.reason);
  }
  void ReportTexture(const TextureOutcome& texture) override {
    std::string head = Display(texture.shape) + ": texture \"" + texture.texture + "\"";
    switch (texture.status) {
      case TextureOutcome::Status::kConverted:
        ++textures_converted;
        break;
      case TextureOutcome::Status::kMissing:
        ++textures_missing;
        Warn(head + " not found");
        break;
      case TextureOutcome::Status::kNotConverted:
        Warn(head + " not converted: " + texture.reason);
        break;
    }
  }
  // A failure found by the batch itself, outside the engine.
  void Fail(const std::string& message) {
    diagnostics += "error: " + names_.front().second + ": " + message + "\n";
    reason = message;
  }

  std::string progress;     // the full log, with terminal line ends (only when verbose)
  std::string diagnostics;  // warning and error lines for standard error
  std::string reason;       // the first failure
  int warnings = 0;
  int textures_converted = 0;
  int textures_missing = 0;

 private:
  void Warn(const std::string& text) {
    diagnostics += "warning: " + text + "\n";
    ++warnings;
  }
  // A path as the user would write it: the name given for it, else below the given folder.
  std::string Display(const std::string& path) const {
    for (const auto& [engine, given] : names_) {
      if (engine == path) return given;
    }
    if (!chosen_folder_.empty() && path.size() > chosen_folder_.size() &&
        path.compare(0, chosen_folder_.size(), chosen_folder_) == 0 &&
        path[chosen_folder_.size()] == '/') {
      return Join(given_folder_, path.substr(chosen_folder_.size() + 1));
    }
    return path;
  }

  bool verbose_;
  std::set<std::string> includes_reported_;
  std::string given_folder_, chosen_folder_;
  std::vector<std::pair<std::string, std::string>> names_;
};

// One converted vehicle waiting for its turn.
struct Work {
  VehicleResult result;
  std::string progress, diagnostics;
  std::string stage;       // its private output folder inside the run's staging folder
  std::string model_name;  // the model file's name in stage
};

struct Context {
  const BatchOptions& options;
  std::string eng_chosen;
  std::string staging;
  SharedDecompressions decompressions;
};

// The component count and the vehicle lines of a written model file.
void ReadModelSummary(const std::string& path, VehicleResult& result) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return;
  std::string text;
  char buffer[1 << 16];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    text.append(buffer, got);
  std::fclose(file);
  struct Field {
    std::string_view head;
    std::string* value;
  } fields[] = {{"\tWeight\t", &result.weight},
                {"\tPower\t", &result.power},
                {"\tTE\t", &result.tractive_effort},
                {"\tMax\t", &result.max_speed},
                {"\tMax ", &result.max_speed}};
  std::string_view all = text;
  for (size_t at = 0; at < all.size();) {
    size_t end = all.find('\n', at);
    if (end == std::string_view::npos) end = all.size();
    std::string_view line = all.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.substr(0, 5) == "Name ") ++result.components;
    for (const Field& field : fields) {
      if (line.substr(0, field.head.size()) == field.head)
        *field.value = std::string(line.substr(field.head.size()));
    }
    at = end + 1;
  }
}

Work ConvertVehicle(Context& context, const PlannedVehicle& vehicle, size_t index) {
  const BatchOptions& options = context.options;
  Work work;
  work.result.source = vehicle.source;
  std::string chosen = ChosenPath(vehicle.source);
  VehicleLog log(options.verbosity == Verbosity::kVerbose, vehicle.source, chosen);
  ConversionOptions o;
  o.TwoFootScale = options.two_foot;
  o.Length = options.length.value_or(0.0f);
  if (!options.eng.empty()) {
    o.EngPath = context.eng_chosen;
    log.Name(context.eng_chosen, options.eng);
  }
  bool converted = false;
  try {
    SourceOutcome outcome = PrepareChosenSource(chosen, log);
    bool ready = outcome.check != SourceCheck::kFailed;
    o.SourcePath = outcome.source;
    if (ready && !outcome.eng.empty()) {
      o.EngPath = outcome.eng;
      if (outcome.length && !options.length) o.Length = *outcome.length;
      if (o.SourcePath == o.EngPath) {
        log.ReportFileFailure(FileFailure{o.EngPath, "no WagonShape entry names the shape"});
        ready = false;
      }
    }
    if (ready && outcome.check == SourceCheck::kNeedsDecompression) {
      DecompressOutcome decompressed = context.decompressions.Get(o.SourcePath);
      if (decompressed.decompressed) {
        o.SourcePath = decompressed.source;
      } else {
        log.ReportFileFailure(*decompressed.failure);
        ready = false;
      }
    }
    if (ready) {
      work.stage = context.staging + "/" + std::to_string(index);
      std::string error;
      if (!platform::CreateFolders(work.stage, error)) {
        log.Fail("cannot make a working folder in the output folder: " + error);
      } else {
        o.OutputDirectory = work.stage;
        converted = RunConversion(o, log);
      }
    }
  } catch (const std::exception& failure) {
    log.Fail(std::string("the conversion stopped: ") + failure.what());
    converted = false;
  }
  work.result.length = o.Length;
  if (converted) {
    std::vector<std::string> files;
    std::string error;
    platform::ListFilesBelow(work.stage, files, error);
    for (const std::string& file : files) {
      if (EndsWith(file, ".stk") && file.find('/') == std::string::npos) work.model_name = file;
    }
    if (work.model_name.empty()) {
      log.Fail("the conversion wrote no model file");
      converted = false;
    } else {
      ReadModelSummary(work.stage + "/" + work.model_name, work.result);
    }
  }
  work.result.converted = converted;
  work.result.reason = log.reason;
  work.result.warnings = log.warnings;
  work.result.textures_converted = log.textures_converted;
  work.result.textures_missing = log.textures_missing;
  work.progress = std::move(log.progress);
  work.diagnostics = std::move(log.diagnostics);
  return work;
}

// Moves a converted vehicle's files from its stage into place, in source order. A file that an
// earlier vehicle of this run wrote is never replaced with other content, and nothing but a
// model or a texture is ever replaced: the vehicle then fails and none of its files is moved.
class Publisher {
 public:
  void Publish(const PlannedVehicle& vehicle, Work& work) {
    std::vector<std::string> files;
    std::string error;
    if (!platform::ListFilesBelow(work.stage, files, error)) {
      Fail(work, error);
      return;
    }
    std::vector<std::pair<std::string, std::string>> moves;  // stage file, target
    for (const std::string& file : files) {
      std::string staged = work.stage + "/" + file;
      std::string target = Join(vehicle.output_folder, file);
      auto earlier = written_.find(target);
      if (earlier != written_.end()) {
        if (platform::SameFileContents(staged, target)) continue;
        Fail(work, target + " was already written for " + earlier->second + " in this run");
        return;
      }
      std::string lower = Lower(file);
      if (platform::FileExists(target) && !EndsWith(lower, ".stk") && !EndsWith(lower, ".tga")) {
        Fail(work, target + " exists and is not a model file or a texture");
        return;
      }
      moves.emplace_back(staged, target);
    }
    if (!vehicle.output_folder.empty() && !platform::CreateFolders(vehicle.output_folder, error)) {
      Fail(work, vehicle.output_folder + ": " + error);
      return;
    }
    for (const auto& [staged, target] : moves) {
      if (!platform::ReplaceFile(staged, target, error)) {
        Fail(work, target + ": " + error);
        return;
      }
      written_.emplace(target, vehicle.source);
    }
    work.result.model_file = Join(vehicle.output_folder, work.model_name);
  }

 private:
  static void Fail(Work& work, const std::string& message) {
    work.result.converted = false;
    work.result.reason = message;
    work.diagnostics += "error: " + work.result.source + ": " + message + "\n";
  }
  std::map<std::string, std::string> written_;  // target, the source it was written for
};

std::string ResultLine(const VehicleResult& r) {
  if (!r.converted) return "FAILED " + r.source + ": " + r.reason + "\n";
  std::string line = "ok  " + r.source + " -> " + r.model_file + " (" +
                     Plural(r.components, "component") + ", " +
                     Plural(r.textures_converted, "texture");
  if (r.warnings > 0) line += ", " + Plural(r.warnings, "warning");
  return line + ")\n";
}

// The progress display: one line on standard error, rewritten in place, gone at the end.
class ProgressLine {
 public:
  ProgressLine(bool shown, std::FILE* err) : shown_(shown), err_(err) {}
  void Show(size_t done, size_t total, const std::string& current) {
    if (!shown_) return;
    std::string line = "[" + std::to_string(done) + "/" + std::to_string(total) + "] " + current;
    size_t width = static_cast<size_t>(std::max(platform::StandardErrorColumns() - 1, 10));
    if (line.size() > width) line = line.substr(0, width);
    std::fprintf(err_, "\r\033[K%s", line.c_str());
    std::fflush(err_);
    visible_ = true;
  }
  void Clear() {
    if (!visible_) return;
    std::fputs("\r\033[K", err_);
    std::fflush(err_);
    visible_ = false;
  }

 private:
  bool shown_;
  std::FILE* err_;
  bool visible_ = false;
};

}  // namespace

bool PlanVehicles(const BatchOptions& options, std::vector<PlannedVehicle>& vehicles,
                  std::vector<std::string>& errors) {
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

std::vector<VehicleResult> ConvertVehicles(const BatchOptions& options,
                                           const std::vector<PlannedVehicle>& vehicles,
                                           std::FILE* out, std::FILE* err) {
  std::vector<VehicleResult> results;
  if (vehicles.empty()) return results;
  std::string base = OutputBase(options);
  Context context{options,
                  options.eng.empty() ? std::string() : ChosenPath(options.eng),
                  platform::MakeTemporaryFolderIn(base.empty() ? "." : base),
                  {}};
  if (context.staging.empty()) {
    std::fprintf(err, "error: %s: cannot make a working folder in it\n",
                 base.empty() ? "." : base.c_str());
    for (const PlannedVehicle& vehicle : vehicles)
      results.push_back(
          {vehicle.source, {}, false, "no working folder", 0, 0, 0, 0, 0, {}, {}, {}, {}});
    return results;
  }

  const size_t total = vehicles.size();
  const size_t jobs = static_cast<size_t>(std::max(options.jobs, 1));
  // Finished vehicles wait for their turn; a window of them bounds the memory they hold.
  const size_t window = std::max<size_t>(4 * jobs, 8);
  std::vector<std::optional<Work>> slots(total);
  std::mutex mutex;
  std::condition_variable changed;
  size_t next = 0, printed = 0, last_started = 0;

  auto worker = [&] {
    for (;;) {
      size_t index;
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return next >= total || next < printed + window; });
        if (next >= total) return;
        index = next++;
        last_started = index;
      }
      changed.notify_all();
      Work work = ConvertVehicle(context, vehicles[index], index);
      {
        std::lock_guard<std::mutex> lock(mutex);
        slots[index] = std::move(work);
      }
      changed.notify_all();
    }
  };
  std::vector<std::thread> threads;
  for (size_t j = 0; j < std::min(jobs, total); ++j) threads.emplace_back(worker);

  Publisher publisher;
  ProgressLine progress(options.progress, err);
  for (size_t index = 0; index < total; ++index) {
    Work work;
    {
      std::unique_lock<std::mutex> lock(mutex);
      for (;;) {
        if (slots[index]) break;
        size_t current = last_started;
        lock.unlock();
        progress.Show(index, total, vehicles[current].source);
        lock.lock();
        changed.wait(lock, [&] { return slots[index].has_value() || last_started != current; });
      }
      work = std::move(*slots[index]);
      slots[index].reset();
    }
    if (work.result.converted) publisher.Publish(vehicles[index], work);
    if (!work.stage.empty()) platform::RemoveFolder(work.stage);
    progress.Clear();
    const VehicleResult& result = work.result;
    if (options.verbosity == Verbosity::kVerbose) {
      std::fprintf(out, "== %s\n", result.source.c_str());
      std::fputs(work.progress.c_str(), out);
      std::fflush(out);
    }
    std::string diagnostics = work.diagnostics;
    if (options.verbosity == Verbosity::kQuiet) {
      // Only the errors: the lines of a failure.
      std::string kept;
      for (size_t at = 0; at < diagnostics.size();) {
        size_t end = diagnostics.find('\n', at);
        std::string line = diagnostics.substr(at, end - at + 1);
        if (line.rfind("error: ", 0) == 0) kept += line;
        at = end + 1;
      }
      diagnostics = kept;
    }
    std::fputs(diagnostics.c_str(), err);
    std::fflush(err);
    if (!result.converted || options.verbosity != Verbosity::kQuiet)
      std::fputs(ResultLine(result).c_str(), out);
    std::fflush(out);
    results.push_back(result);
    {
      std::lock_guard<std::mutex> lock(mutex);
      printed = index + 1;
    }
    changed.notify_all();
  }
  progress.Clear();
  for (std::thread& thread : threads) thread.join();
  platform::RemoveFolder(context.staging);
  return results;
}

int RunBatch(const BatchOptions& options, std::FILE* out, std::FILE* err) {
  std::vector<PlannedVehicle> vehicles;
  std::vector<std::string> errors;
  bool planned = PlanVehicles(options, vehicles, errors);
  for (const std::string& error : errors) std::fprintf(err, "error: %s\n", error.c_str());
  std::string base = OutputBase(options);
  std::string error;
  if (!base.empty() && !platform::CreateFolders(base, error)) {
    std::fprintf(err, "error: %s: %s\n", base.c_str(), error.c_str());
    return 1;
  }
  std::vector<VehicleResult> results = ConvertVehicles(options, vehicles, out, err);

  // Every vehicle is done: what looks at the whole collection comes here.
  bool outputs_written = true;
  if (!options.report_path.empty()) {
    std::string csv = FormatReport(results);
    std::FILE* report = std::fopen(options.report_path.c_str(), "wb");
    bool written =
        report != nullptr && std::fwrite(csv.data(), 1, csv.size(), report) == csv.size();
    if (report != nullptr && std::fclose(report) != 0) written = false;
    if (!written) {
      std::fprintf(err, "error: %s: cannot write the report\n", options.report_path.c_str());
      outputs_written = false;
    }
  }

  if (options.preview && !WriteBatchPreviews(options, results, out, err)) outputs_written = false;

  long converted = 0, warnings = 0, missing = 0;
  for (const VehicleResult& r : results) {
    converted += r.converted ? 1 : 0;
    warnings += r.warnings;
    missing += r.textures_missing;
  }
  long failed = static_cast<long>(results.size()) - converted;
  std::fprintf(out, "converted %ld of %s, %ld failed, %s, %s missing\n", converted,
               Plural(static_cast<long>(results.size()), "vehicle").c_str(), failed,
               Plural(warnings, "warning").c_str(), Plural(missing, "texture").c_str());
  std::fflush(out);
  return failed == 0 && planned && outputs_written ? 0 : 1;
}
