// sw_bench_dialog: one conversion through the real main dialog, shown on the current Qt
// platform, against the same conversion by the engine alone in the same process.
//
//   sw_bench_dialog SHAPE.s OUT_DIR [--repeat N]
//
// Prints "name=value" lines: dialog_s and dialog_cpu_s (the Convert click, wall and CPU time,
// fastest of N), engine_s and engine_cpu_s (the engine with a log that drops its lines),
// log_lines, log_share and log_cpu_share (the part of the dialog's time not spent by the
// engine). CPU time is the steadier figure on a busy machine.
#include <time.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "app/convert_dlg.h"
#include "platform/qt_dialog.h"
#include "platform/qt_services.h"

namespace {

class MemorySettings : public platform::SettingsStore {
 public:
  std::string ReadString(const std::string& key, const std::string& fallback) override {
    auto found = values.find(key);
    return found == values.end() ? fallback : found->second;
  }
  void WriteString(const std::string& key, const std::string& value) override {
    values[key] = value;
  }
  std::map<std::string, std::string> values;
};

class DroppingLog : public LogSink {
 public:
  void AppendLog(const std::string&) override { ++lines; }
  void Beep(const BeepSite&) override {}
  void ReportFileFailure(const FileFailure&) override { failed = true; }
  long lines = 0;
  bool failed = false;
};

double Seconds(std::chrono::steady_clock::duration elapsed) {
  return std::chrono::duration<double>(elapsed).count();
}

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Timing {
  double wall = 0;
  double cpu = 0;
};

// Measures one call of run.
template <class Run>
Timing Measure(Run run) {
  double cpu = ProcessCpuSeconds();
  auto start = std::chrono::steady_clock::now();
  run();
  return {Seconds(std::chrono::steady_clock::now() - start), ProcessCpuSeconds() - cpu};
}

// One Convert click on a freshly shown dialog, so that every run starts with an empty log.
Timing TimeDialogRun(const std::string& shape, const std::string& out, long& lines) {
  platform::QtDialogServices services;
  MemorySettings settings;
  CConvertDlg dialog(services, settings);
  dialog.show();
  for (int i = 0; i < 20; ++i) QApplication::processEvents();
  platform::FindControlAs<QLineEdit>(dialog, res::kIdSource)
      ->setText(QString::fromStdString(shape));
  platform::FindControlAs<QLineEdit>(dialog, res::kIdOutputDirectory)
      ->setText(QString::fromStdString(out));
  platform::FindControlAs<QLineEdit>(dialog, res::kIdLength)->setText(QStringLiteral("20"));
  QPushButton* convert = platform::FindControlAs<QPushButton>(dialog, res::kIdOk);
  Timing timing = Measure([convert] { convert->click(); });
  lines = dialog.State().LogLineCount;
  if (dialog.State().LogText.find("***** FINISHED *****") == std::string::npos) {
    std::fprintf(stderr, "sw_bench_dialog: the conversion did not finish\n");
    std::exit(1);
  }
  return timing;
}

Timing TimeEngineRun(const std::string& shape, const std::string& out) {
  ConversionOptions options;
  options.SourcePath = shape;
  options.OutputDirectory = out;
  options.Length = 20;
  DroppingLog log;
  Timing timing = Measure([&] { RunConversion(options, log); });
  if (log.failed) {
    std::fprintf(stderr, "sw_bench_dialog: the engine run failed\n");
    std::exit(1);
  }
  return timing;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: sw_bench_dialog SHAPE.s OUT_DIR [--repeat N]\n");
    return 2;
  }
  std::string shape = argv[1], out = argv[2];
  int repeat = 3;
  if (argc >= 5 && std::string(argv[3]) == "--repeat") repeat = std::max(1, std::atoi(argv[4]));
  Timing dialog{1e30, 1e30}, engine{1e30, 1e30};
  long lines = 0;
  // Alternating, so that both see the same state of the machine and of the file cache.
  for (int n = 0; n < repeat; ++n) {
    Timing e = TimeEngineRun(shape, out);
    Timing d = TimeDialogRun(shape, out, lines);
    engine = {std::min(engine.wall, e.wall), std::min(engine.cpu, e.cpu)};
    dialog = {std::min(dialog.wall, d.wall), std::min(dialog.cpu, d.cpu)};
  }
  auto share = [](double whole, double part) {
    return whole > 0 ? std::max(0.0, whole - part) / whole : 0.0;
  };
  std::printf(
      "platform=%s\ndialog_s=%.3f\ndialog_cpu_s=%.3f\nengine_s=%.3f\nengine_cpu_s=%.3f\n"
      "log_lines=%ld\nlog_share=%.3f\nlog_cpu_share=%.3f\n",
      QGuiApplication::platformName().toUtf8().constData(), dialog.wall, dialog.cpu, engine.wall,
      engine.cpu, lines, share(dialog.wall, engine.wall), share(dialog.cpu, engine.cpu));
  return 0;
}
