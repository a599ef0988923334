// ace2tga: converts ACE textures to TGA files without converting a shape.
//   ace2tga SOURCE.ace [DEST.tga]
//   ace2tga -o DIR FILE.ace...
// Prints one line per failure, naming the file and the reason; exits 1 when any failed and 2
// on a usage error.
#include <cstdio>
#include <string>
#include <vector>

#include "base/text.h"
#include "tools/texconv/file_io.h"
#include "tools/texconv/tga.h"

namespace {

constexpr char kUsage[] =
    "usage: ace2tga SOURCE.ace [DEST.tga]\n"
    "       ace2tga -o DIR FILE.ace...\n"
    "Converts MSTS ACE textures into TGA files (DEST.tga: SOURCE with .tga for .ace).\n"
    "  -o DIR      write each FILE.tga into the folder DIR\n"
    "  -h, --help  print this text\n";

bool EndsWithAceIgnoringCase(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  LowerAsciiInPlace(tail);
  return tail == ".ace";
}

// SOURCE with its ".ace" (any case) replaced by ".tga", or with ".tga" added.
std::string MakeTgaName(const std::string& source) {
  if (EndsWithAceIgnoringCase(source)) return source.substr(0, source.size() - 4) + ".tga";
  return source + ".tga";
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ConvertOne(const std::string& source, const std::string& destination) {
  std::string reason;
  if (texconv::ConvertAceToTga(source, destination, reason)) return true;
  std::fprintf(stderr, "%s: %s\n", source.c_str(), reason.c_str());
  return false;
}

int ConvertIntoFolder(const std::string& folder, const std::vector<std::string>& sources) {
  int failures = 0;
  for (const std::string& source : sources) {
    if (!ConvertOne(source, folder + "/" + MakeTgaName(BaseName(source)))) ++failures;
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args = texconv::ReadProgramArguments(argc, argv);
  if (!args.empty()) args.erase(args.begin());
  if (args.empty() || args[0] == "-h" || args[0] == "--help") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  if (args[0] == "-o") {
    if (args.size() < 3) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    return ConvertIntoFolder(args[1], {args.begin() + 2, args.end()});
  }
  if (args.size() > 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string destination = args.size() == 2 ? args[1] : MakeTgaName(args[0]);
  return ConvertOne(args[0], destination) ? 0 : 1;
}
