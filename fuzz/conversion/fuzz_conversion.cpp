// fuzz_conversion: arbitrary bytes as a shape text and its ENG/WAG file, through the whole
// conversion, with the model file and any textures written into a private temporary folder.
//
// Input layout:
//   byte 0   the options: bit 0 the 2-ft scale, bit 1 a ".wag" name for the description file,
//            bit 2 no description file, bits 3 to 7 the length in steps of 1.25 m;
//   then     the shape text (byte-order mark included) up to the first "#ENG#",
//   then     the description file (everything after that marker; empty when there is none),
//            itself divided by "#INC#" into the chosen file and up to three include files of a
//            small tree beside it: "A.inc", "Sub/B.inc" and "Sub/C.INC" (the chosen file's
//            folder also holds the folder "Sub" and a link "Sub/Loop.inc" to the chosen file),
//            which "include ( a.inc )", "include ( ..\\[[SameName]] )" and the like reach.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "convert/conversion.h"

namespace {

constexpr std::string_view kEngMarker = "#ENG#";
constexpr std::string_view kIncludeMarker = "#INC#";
constexpr const char* kIncludeFiles[] = {"/A.inc", "/Sub/B.inc", "/Sub/C.INC"};

std::string g_folder;  // the private folder, without a trailing "/"

// Lines are dropped; the diagnostics only count, so that their contract can be checked.
class CountingLog : public LogSink {
 public:
  long beeps = 0;
  long failures = 0;
  void AppendLog(const std::string&) override {}
  void Beep(const BeepSite&) override { ++beeps; }
  void ReportFileFailure(const FileFailure&) override { ++failures; }
};

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::perror(path.c_str());
    std::abort();
  }
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
    std::abort();
  std::fclose(file);
}

// Removes everything the previous input left: the model file, textures, the inputs.
void EmptyFolder() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(g_folder, error)) {
    std::filesystem::remove_all(entry.path(), error);
  }
}

void RemoveFolder() {
  std::error_code error;
  std::filesystem::remove_all(g_folder, error);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string base = "/tmp";
  if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && tmp[0] != '\0') base = tmp;
  std::string pattern = base + "/fuzz_conversion.XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  g_folder = pattern;
  std::atexit(RemoveFolder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t options_byte = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t marker = rest.find(kEngMarker);
  size_t shape_size = marker == std::string_view::npos ? rest.size() : marker;
  size_t eng_begin = marker == std::string_view::npos ? rest.size() : marker + kEngMarker.size();

  ConversionOptions options;
  options.TwoFootScale = (options_byte & 1) != 0;
  options.Length = static_cast<float>(options_byte >> 3) * 1.25f;
  options.SourcePath = g_folder + "/Shape.s";
  options.OutputDirectory = g_folder;
  WriteWholeFile(options.SourcePath, rest.substr(0, shape_size));
  if ((options_byte & 4) == 0) {
    std::string name = (options_byte & 2) != 0 ? "vehicle.wag" : "vehicle.eng";
    options.EngPath = g_folder + "/" + name;
    std::string_view eng = rest.substr(eng_begin);
    size_t cut = eng.find(kIncludeMarker);
    WriteWholeFile(options.EngPath, eng.substr(0, cut));
    std::error_code error;
    std::filesystem::create_directory(g_folder + "/Sub", error);
    std::filesystem::create_symlink("../" + name, g_folder + "/Sub/Loop.inc", error);
    for (const char* include : kIncludeFiles) {
      if (cut == std::string_view::npos) break;
      eng.remove_prefix(cut + kIncludeMarker.size());
      cut = eng.find(kIncludeMarker);
      WriteWholeFile(g_folder + include, eng.substr(0, cut));
    }
  }

  CountingLog log;
  bool finished = RunConversion(options, log);
  // The run reports exactly one failure when it does not finish, and none when it does.
  if (finished ? log.failures != 0 : log.failures != 1) {
    std::fprintf(stderr, "RunConversion returned %d after %ld failure reports\n", finished,
                 log.failures);
    std::abort();
  }
  // A finished run has written its model file.
  if (finished && !std::filesystem::exists(g_folder + "/Shape.stk")) {
    std::fprintf(stderr, "RunConversion finished without a model file\n");
    std::abort();
  }
  EmptyFolder();
  return 0;
}
