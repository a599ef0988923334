#include "cli/check.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/diagnostic.h"
#include "base/text.h"
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

std::string Millimetres(double value) { return std::to_string(static_cast<long long>(value)); }

void PrintSummary(const std::string& given, const model::CheckSummary& s) {
  std::string file = EscapeControls(given);
  std::printf("%s: %zu components (%zu placed), %zu triangles, %zu vertices\n", file.c_str(),
              s.component_count, s.placed_component_count, s.triangle_count, s.vertex_count);
  std::string textures;
  for (const std::string& t : s.textures)
    textures += (textures.empty() ? "" : ", ") + EscapeControls(t);
  std::printf("%s: %zu textures%s%s", file.c_str(), s.textures.size(), textures.empty() ? "" : ": ",
              textures.c_str());
  if (!s.missing_textures.empty()) {
    std::string missing;
    for (const std::string& t : s.missing_textures)
      missing += (missing.empty() ? "" : ", ") + EscapeControls(t);
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

// Checks one file, reading it once for the check and the picture; false when it has errors or
// cannot be read.
bool CheckOneFile(const std::string& file, bool preview) {
  std::string error;
  std::unique_ptr<preview::LoadedModel> loaded = preview::LoadModelFile(
      file, error, preview ? preview::Textures::kLoad : preview::Textures::kSkip);
  if (loaded == nullptr) {
    std::fputs(DiagnosticLine(file, 0, Severity::kError, "cannot read: " + error).c_str(), stderr);
    return false;
  }
  model::CheckSummary summary = preview::CheckLoadedModel(*loaded);
  // Drawn first, so that a picture drawn in part is among the warnings.
  std::string preview_error;
  bool drawn = !preview || preview::WritePreviewBeside(*loaded, preview_error);
  PrintSummary(file, summary);
  size_t errors = 0, warnings = 0;
  for (const model::Diagnostic& d : loaded->diagnostics) {
    (d.severity == Severity::kError ? errors : warnings)++;
    std::fputs(DiagnosticLine(file, d.line, d.severity, d.message).c_str(), stdout);
  }
  std::printf("%s: %s, %s\n", EscapeControls(file).c_str(), Plural(errors, "error").c_str(),
              Plural(warnings, "warning").c_str());
  bool ok = errors == 0;
  if (preview && drawn) {
    std::printf("%s: preview %s\n", EscapeControls(file).c_str(),
                EscapeControls(preview::PreviewPathFor(file)).c_str());
  } else if (preview) {
    std::fputs(
        DiagnosticLine(file, 0, Severity::kError, "cannot write the preview: " + preview_error)
            .c_str(),
        stderr);
    ok = false;
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
