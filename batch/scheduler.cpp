#include "batch/scheduler.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "base/diagnostic.h"
#include "base/text.h"
#include "batch/publisher.h"
#include "batch/vehicle_conversion.h"
#include "platform/console.h"
#include "platform/folders.h"
#include "platform/interrupts.h"
#include "platform/process.h"

namespace {

// The most vehicles one thread holds waiting for a shape while it converts another: enough to
// span a decompression, few enough for any thread's stack, whatever the number of jobs.
constexpr int kMostNested = 16;
thread_local int nested_conversions = 0;

// The progress display: one line on standard error, rewritten in place, gone at the end.
class ProgressLine {
 public:
  ProgressLine(bool shown, std::FILE* err) : shown_(shown), err_(err) {}
  void Show(size_t done, size_t total, const std::string& current) {
    if (!shown_) return;
    std::string line =
        "[" + std::to_string(done) + "/" + std::to_string(total) + "] " + EscapeControls(current);
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

// Prints one vehicle's lines: its log when verbose, its diagnostics, its result line.
void PrintVehicle(const BatchOptions& options, const StagedVehicle& staged, std::FILE* out,
                  std::FILE* err) {
  // Once interrupted, what the workers still finish is no news: the run is ending.
  if (platform::Interrupted()) return;
  const VehicleResult& result = staged.result;
  if (options.verbosity == Verbosity::kVerbose) {
    std::fprintf(out, "== %s\n", EscapeControls(result.source).c_str());
    std::fputs(staged.progress.c_str(), out);
    std::fflush(out);
  }
  std::fputs(staged.diagnostics.c_str(), err);
  std::fflush(err);
  if (!result.converted || options.verbosity != Verbosity::kQuiet)
    std::fputs(ResultLine(result).c_str(), out);
  // Nobody reads on (| head): the run ends here, its working files gone.
  if (std::fflush(out) != 0) platform::EndAfterClosedOutput();
}

// Leaves a published vehicle's stage folder empty for the next vehicle of its slot. Once the
// publisher has moved every file it is empty already: the folder is kept, since removing a
// folder for every vehicle costs more than converting some (on a file system that discards
// freed blocks at once, the run waits for the disk each time). What a failed vehicle left is
// removed with the folder.
void EmptyStage(const std::string& stage) {
  std::vector<std::string> files;
  std::string error_path, error;
  if (platform::ListFilesBelow(stage, files, error_path, error) && files.empty()) return;
  platform::RemoveFolder(stage);
}

}  // namespace

std::string ResultLine(const VehicleResult& r) {
  if (!r.converted)
    return "FAILED " + EscapeControls(r.source) + ": " + EscapeControls(r.reason) + "\n";
  std::string line = "ok  " + EscapeControls(r.source) + " -> " + EscapeControls(r.model_file) +
                     " (" + Plural(r.components, "component") + ", " +
                     Plural(r.textures_converted, "texture");
  if (r.warnings > 0) line += ", " + Plural(r.warnings, "warning");
  return line + ")\n";
}

std::vector<VehicleResult> FailVehicles(const std::vector<PlannedVehicle>& vehicles,
                                        const std::string& reason, std::FILE* out) {
  std::vector<VehicleResult> results;
  for (const PlannedVehicle& vehicle : vehicles) {
    VehicleResult failed;
    failed.source = vehicle.source;
    failed.reason = reason;
    std::fputs(ResultLine(failed).c_str(), out);
    results.push_back(std::move(failed));
  }
  std::fflush(out);
  return results;
}

std::vector<VehicleResult> ConvertVehicles(const BatchOptions& options,
                                           const std::vector<PlannedVehicle>& vehicles,
                                           std::FILE* out, std::FILE* err) {
  std::vector<VehicleResult> results;
  if (vehicles.empty()) return results;
  std::string base = OutputBase(options);
  std::string parent = base.empty() ? "." : base;
  platform::RemoveAbandonedWorkingFolders(parent);
  std::string staging = platform::MakeWorkingFolderIn(parent);
  RunContext context{
      options,
      options.eng.empty() ? std::string() : ChosenPath(options.eng),
      staging,
      SharedDecompressions(TwinPlace{!options.read_only_sources, staging + "/twins"}),
      SharedTextures(staging + "/textures"),
      {}};
  if (context.staging.empty()) {
    std::fputs(
        DiagnosticLine(parent, 0, Severity::kError, "cannot make a working folder in it").c_str(),
        err);
    return FailVehicles(vehicles, "no working folder", out);
  }

  const size_t total = vehicles.size();
  const size_t jobs = static_cast<size_t>(std::max(options.jobs, 1));
  // Finished vehicles wait for their turn; a window of them bounds the memory and the staged
  // files they hold. It is wide enough for the other threads to go on converting while one
  // decompresses a shape, which takes as long as converting ten vehicles.
  const size_t window = std::max<size_t>(16 * jobs, 32);
  std::vector<std::optional<StagedVehicle>> slots(total);
  std::mutex mutex;
  std::condition_variable changed;
  size_t next = 0, printed = 0, last_started = 0;

  // Takes the next vehicle when the window has room (waiting for room when asked to) and
  // converts it; false when there is none to take.
  auto convert_next = [&](bool wait) {
    size_t index;
    {
      std::unique_lock<std::mutex> lock(mutex);
      auto room = [&] { return next >= total || next < printed + window; };
      if (wait) changed.wait(lock, room);
      if (next >= total || !room()) return false;
      index = next++;
      last_started = index;
    }
    changed.notify_all();
    // A stage folder per place in the window: vehicle index - window, which used this one,
    // has been published, and its folder emptied, before this vehicle could start.
    StagedVehicle staged = ConvertVehicle(context, vehicles[index], index % window);
    {
      std::lock_guard<std::mutex> lock(mutex);
      slots[index] = std::move(staged);
    }
    changed.notify_all();
    return true;
  };
  // A thread waiting for a shape that another decompresses converts the vehicles after its own
  // meanwhile (vehicles of one shape lie together), each on top of the waiting one's stack.
  context.convert_another = [&] {
    if (nested_conversions >= kMostNested) return false;
    ++nested_conversions;
    bool converted = convert_next(false);
    --nested_conversions;
    return converted;
  };
  auto worker = [&] {
    while (convert_next(true)) {
    }
  };
  std::vector<std::thread> threads;
  for (size_t j = 0; j < std::min(jobs, total); ++j) threads.emplace_back(worker);

  Publisher publisher;
  ProgressLine progress(options.progress, err);
  for (size_t index = 0; index < total; ++index) {
    StagedVehicle staged;
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
      staged = std::move(*slots[index]);
      slots[index].reset();
    }
    if (staged.result.converted) publisher.Publish(vehicles[index], staged);
    if (!staged.stage.empty()) EmptyStage(staged.stage);
    progress.Clear();
    PrintVehicle(options, staged, out, err);
    results.push_back(std::move(staged.result));
    {
      std::lock_guard<std::mutex> lock(mutex);
      printed = index + 1;
    }
    changed.notify_all();
  }
  progress.Clear();
  for (std::thread& thread : threads) thread.join();
  platform::RemoveWorkingFolder(context.staging);
  return results;
}
