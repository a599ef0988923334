// Converts large ACE textures (1024 and 2048 square; planar and DXT1; plain and zlib) file to
// file and prints megapixels per second beside plain copies of the same files' bytes.
//   bench_texconv [SCRATCH_FOLDER]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/texconv/ace_write.h"
#include "tools/texconv/file_io.h"
#include "tools/texconv/tga.h"

namespace {

using texconv::AceChannel;
using Clock = std::chrono::steady_clock;

struct BenchCase {
  const char* name;
  uint32_t side;
  bool dxt1;
  bool compress;
  std::vector<AceChannel> channels;
};

// Smooth shading with a little grain: zlib packs the planar data about 2.8 : 1, near the median
// of the large compressed textures of public content (1.4 to 14 : 1).
texconv::RgbaImage MakePicture(uint32_t side) {
  texconv::RgbaImage image;
  image.width = image.height = side;
  image.pixels.resize(size_t(side) * side * 4);
  uint32_t state = 1;
  for (uint32_t y = 0; y < side; ++y) {
    for (uint32_t x = 0; x < side; ++x) {
      state = state * 1664525u + 1013904223u;
      int grain = int((state >> 16) % 3) - 1;
      uint8_t* p = image.pixels.data() + (size_t(y) * side + x) * 4;
      p[0] = uint8_t(std::clamp(int((x * 255) / side) + grain, 0, 255));
      p[1] = uint8_t(std::clamp(int((y * 255) / side) + grain, 0, 255));
      p[2] = uint8_t(std::clamp(int(((x ^ y) >> 3) & 0xFF) + grain, 0, 255));
      p[3] = ((x / 64 + y / 64) % 4 == 0) ? 0 : 255;
    }
  }
  return image;
}

// Best of several runs, at least `minimum` seconds in all.
template <typename Work>
double TimeBest(Work work, double minimum = 0.5) {
  double best = 1e30, total = 0;
  int runs = 0;
  while (runs < 3 || (total < minimum && runs < 50)) {
    auto start = Clock::now();
    work();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    best = std::min(best, seconds);
    total += seconds;
    ++runs;
  }
  return best;
}

bool CopyFile(const std::string& from, const std::string& to) {
  std::vector<uint8_t> bytes;
  std::string reason;
  return texconv::ReadWholeFile(from, bytes, reason) &&
         texconv::ReplaceFileContent(to, bytes.data(), bytes.size(), reason);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : "/tmp";
  const std::vector<AceChannel> rgb = {AceChannel::kRed, AceChannel::kGreen, AceChannel::kBlue};
  const std::vector<AceChannel> rgb_mask = {AceChannel::kRed, AceChannel::kGreen, AceChannel::kBlue,
                                            AceChannel::kMask};
  const std::vector<AceChannel> all = {AceChannel::kRed, AceChannel::kGreen, AceChannel::kBlue,
                                       AceChannel::kMask, AceChannel::kAlpha};
  const BenchCase cases[] = {
      {"planar rgb 1024 plain", 1024, false, false, rgb},
      {"planar rgb 1024 zlib", 1024, false, true, rgb},
      {"planar rgba 2048 plain", 2048, false, false, all},
      {"planar rgba 2048 zlib", 2048, false, true, all},
      {"dxt1 mask 1024 plain", 1024, true, false, rgb_mask},
      {"dxt1 mask 1024 zlib", 1024, true, true, rgb_mask},
      {"dxt1 2048 plain", 2048, true, false, rgb},
      {"dxt1 2048 zlib", 2048, true, true, rgb},
  };
  std::string prefix = folder + "/bench_texconv_" + std::to_string(getpid());
  std::string ace = prefix + ".ace", tga = prefix + ".tga", copy = prefix + ".copy";
  std::printf("%-24s %9s %9s %9s %9s %9s %9s\n", "texture", "ace MB", "conv ms", "MP/s", "copy ms",
              "copy MP/s", "tga-copy");
  bool ok = true;
  for (const BenchCase& c : cases) {
    texconv::AceWriteOptions options;
    options.mipmaps = true;
    options.dxt1 = c.dxt1;
    options.compress = c.compress;
    options.channels = c.channels;
    options.surface_format = 0x11;
    std::vector<uint8_t> file = texconv::EncodeAceFile(MakePicture(c.side), options);
    std::string reason;
    if (!texconv::ReplaceFileContent(ace, file.data(), file.size(), reason)) {
      std::fprintf(stderr, "%s\n", reason.c_str());
      return 1;
    }
    double megapixels = double(c.side) * c.side / 1e6;
    double convert = TimeBest([&] { ok &= texconv::ConvertAceToTga(ace, tga, reason); });
    double copy_ace = TimeBest([&] { ok &= CopyFile(ace, copy); });
    double copy_tga = TimeBest([&] { ok &= CopyFile(tga, copy); });
    std::printf("%-24s %9.2f %9.2f %9.1f %9.2f %9.1f %9.2f\n", c.name, file.size() / 1e6,
                convert * 1e3, megapixels / convert, copy_ace * 1e3, megapixels / copy_ace,
                copy_tga * 1e3);
  }
  std::remove(ace.c_str());
  std::remove(tga.c_str());
  std::remove(copy.c_str());
  std::printf(
      "(MP/s: megapixels of level 0 per second, best run; copy: read and write of the\n"
      " ACE file's bytes; tga-copy ms: the same for the TGA's bytes)\n");
  if (!ok) std::fprintf(stderr, "a conversion or copy failed\n");
  return ok ? 0 : 1;
}
