#include "cli/check.h"

#include <cstdio>
#include <string>
#include <vector>

#include "model/check.h"
#include "platform/files.h"
#include "platform/whole_file.h"
#include "preview/preview_file.h"

namespace {

const char kCheckUsage[] =
    "usage: shapewright-cli --check [--preview] FILE.stk [FILE.stk ...]\n"
    "\n"
    "Reads each model file and reports its components, triangles, vertices and textures (and\n"
    "which are missing beside it), its extent in millimetres against the assembly's Length, and\n"
    "what would go wrong on import: INCLUDE lines naming no component, INCLUDE cycles, triangle\n"
    "indexes outside their vertex buffer, components nothing places, triangles without area and\n"
    "vertices far outside the vehicle. Findings are printed as FILE:LINE: error|warning: text.\n"
    "With --preview, NAME.png beside each model file shows it from the front left and from the\n"
    "side, with its textures, a scale bar in metres and its name and length.\n"
    "The exit status is 1 when any file has errors or cannot be read (warnings alone: 0).\n";

std::string Folder(const std::string& path) {
  size_t cut = path.rfind('/');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string Millimetres(double value) { return std::to_string(static_cast<long long>(value)); }

void PrintSummary(const std::string& file, const model::CheckSummary& s) {
  std::printf("%s: %zu components (%zu placed), %zu triangles, %zu vertices\n", file.c_str(),
              s.component_count, s.placed_component_count, s.triangle_count, s.vertex_count);
  std::string textures;
  for (const std::string& t : s.textures) textures += (textures.empty() ? "" : ", ") + t;
  std::printf("%s: %zu textures%s%s", file.c_str(), s.textures.size(), textures.empty() ? "" : ": ",
              textures.c_str());
  if (!s.missing_textures.empty()) {
    std::string missing;
    for (const std::string& t : s.missing_textures) missing += (missing.empty() ? "" : ", ") + t;
    std::printf(" (missing: %s)", missing.c_str());
  }
  std::printf("\n");
  if (s.has_box) {
    std::printf("%s: extent x %s..%s, y %s..%s, z %s..%s mm; %s mm long, Length %s mm\n",
                file.c_str(), Millimetres(s.box_min[0]).c_str(), Millimetres(s.box_max[0]).c_str(),
                Millimetres(s.box_min[1]).c_str(), Millimetres(s.box_max[1]).c_str(),
                Millimetres(s.box_min[2]).c_str(), Millimetres(s.box_max[2]).c_str(),
                Millimetres(s.box_max[1] - s.box_min[1]).c_str(), Millimetres(s.length).c_str());
  } else {
    std::printf("%s: nothing placed has a vertex; Length %s mm\n", file.c_str(),
                Millimetres(s.length).c_str());
  }
}

// Checks one file; false when it has errors or cannot be read.
bool CheckOneFile(const std::string& file, bool preview) {
  std::string text, error;
  if (!platform::ReadWholeFile(file, text, error)) {
    std::fprintf(stderr, "%s: error: cannot read: %s\n", file.c_str(), error.c_str());
    return false;
  }
  std::string folder = Folder(file);
  auto exists = [&](const std::string& name) {
    return platform::IsRegularFile(platform::FindPathIgnoringCase(folder + name));
  };
  std::vector<model::Diagnostic> diagnostics;
  model::CheckSummary summary = model::CheckModelText(text, exists, diagnostics);
  PrintSummary(file, summary);
  size_t errors = 0, warnings = 0;
  for (const model::Diagnostic& d : diagnostics) {
    bool is_error = d.severity == model::Severity::kError;
    (is_error ? errors : warnings)++;
    if (d.line > 0) {
      std::printf("%s:%lld: %s: %s\n", file.c_str(), static_cast<long long>(d.line),
                  is_error ? "error" : "warning", d.message.c_str());
    } else {
      std::printf("%s: %s: %s\n", file.c_str(), is_error ? "error" : "warning", d.message.c_str());
    }
  }
  std::printf("%s: %zu error%s, %zu warning%s\n", file.c_str(), errors, errors == 1 ? "" : "s",
              warnings, warnings == 1 ? "" : "s");
  bool ok = errors == 0;
  if (preview) {
    std::string reason;
    if (preview::WritePreviewBeside(file, reason)) {
      std::printf("%s: preview %s\n", file.c_str(), preview::PreviewPathFor(file).c_str());
    } else {
      std::fprintf(stderr, "%s: error: cannot write the preview: %s\n", file.c_str(),
                   reason.c_str());
      ok = false;
    }
  }
  std::fflush(stdout);
  return ok;
}

}  // namespace

bool IsCheckCommand(int argc, char** argv) {
  for (int a = 1; a < argc; ++a) {
    if (std::string(argv[a]) == "--check") return true;
  }
  return false;
}

int RunCheckCommand(int argc, char** argv) {
  std::vector<std::string> files;
  bool preview = false;
  for (int a = 1; a < argc; ++a) {
    std::string arg = argv[a];
    if (arg == "--check") continue;
    if (arg == "--preview") {
      preview = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      std::fputs(kCheckUsage, stdout);
      return 0;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "shapewright-cli: --check does not take %s (see --check --help)\n",
                   arg.c_str());
      return 2;
    }
    files.push_back(arg);
  }
  if (files.empty()) {
    std::fputs(kCheckUsage, stderr);
    return 2;
  }
  int status = 0;
  for (const std::string& file : files) {
    if (!CheckOneFile(file, preview)) status = 1;
  }
  return status;
}
