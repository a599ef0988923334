// Times the decompression of shape files in memory beside zlib alone over the same files.
//   bench_ffedit inflate FILE...      zlib inflate of each compressed file's stream, nothing else
//   bench_ffedit decompress FILE...   what ffeditc_unicode does short of file I/O: unwrap
//                                     (inflate), read the blocks, write the UTF-16 text
//   bench_ffedit unwrap|read FILE...  the same up to the unwrapping or the reading only
// Prints the best CPU time of several passes over all files, and the per-file average.
#include <time.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "binary_shape.h"
#include "shape_text.h"
#include "simis_file.h"

namespace {

// The process's CPU time: on a machine shared with other work it varies far less than
// the wall clock.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

struct Totals {
  size_t files = 0;
  size_t failures = 0;
  uint64_t bytes_in = 0;
  uint64_t bytes_out = 0;
};

std::vector<uint8_t> ReadFileBytes(const char* path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file),
                              std::istreambuf_iterator<char>());
}

// zlib alone: the stream after the 16-byte header into a buffer of the stated size.
Totals InflateAll(const std::vector<std::vector<uint8_t>>& files, std::vector<uint8_t>& buffer) {
  Totals totals;
  for (const std::vector<uint8_t>& file : files) {
    ++totals.files;
    totals.bytes_in += file.size();
    if (file.size() < 16 || std::memcmp(file.data(), "SIMISA@F", 8) != 0) continue;
    uLongf size = file[8] | file[9] << 8 | file[10] << 16 | static_cast<uLongf>(file[11]) << 24;
    buffer.resize(size);
    if (uncompress(buffer.data(), &size, file.data() + 16, static_cast<uLong>(file.size() - 16)) !=
        Z_OK) {
      ++totals.failures;
    }
    totals.bytes_out += size;
  }
  return totals;
}

enum class Stage { kUnwrap, kRead, kWrite };

// The tool's work up to and including stage.
Totals DecompressAll(const std::vector<std::vector<uint8_t>>& files, Stage stage,
                     ffedit::TextBuffer& text) {
  Totals totals;
  ffedit::SimisContent content;
  ffedit::ShapeTree tree;
  ffedit::ReadError error;
  for (const std::vector<uint8_t>& file : files) {
    ++totals.files;
    totals.bytes_in += file.size();
    text.clear();
    bool read = ffedit::ReadSimisFile(file.data(), file.size(), content, error);
    if (read && !content.data.empty() && stage != Stage::kUnwrap) {
      read = ffedit::ReadBinaryShape(content.data.data(), content.data.size(), content.file_offset,
                                     content.form == ffedit::StorageForm::kCompressed, tree, error);
      if (read && stage == Stage::kWrite) ffedit::WriteShapeText(tree, text);
    }
    if (!read) ++totals.failures;
    totals.bytes_out += 2 * text.size();
  }
  return totals;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc >= 3 ? argv[1] : "";
  if (mode != "inflate" && mode != "unwrap" && mode != "read" && mode != "decompress") {
    std::fprintf(stderr, "usage: bench_ffedit inflate|unwrap|read|decompress FILE...\n");
    return 2;
  }
  bool inflate_only = mode == "inflate";
  Stage stage = mode == "unwrap" ? Stage::kUnwrap : mode == "read" ? Stage::kRead : Stage::kWrite;
  std::vector<std::vector<uint8_t>> files;
  for (int i = 2; i < argc; ++i) files.push_back(ReadFileBytes(argv[i]));
  std::vector<uint8_t> buffer;
  ffedit::TextBuffer text;
  Totals totals;
  double best = 1e30, spent = 0;
  for (int pass = 0; pass < 5 || (spent < 2.0 && pass < 50); ++pass) {
    double start = CpuSeconds();
    totals = inflate_only ? InflateAll(files, buffer) : DecompressAll(files, stage, text);
    double seconds = CpuSeconds() - start;
    best = std::min(best, seconds);
    spent += seconds;
  }
  std::printf(
      "%-10s files %zu  failures %zu  in %.1f MB  out %.1f MB  best pass %.4f s cpu  per file %.3f "
      "ms  %.0f MB/s out\n",
      argv[1], totals.files, totals.failures, totals.bytes_in / 1e6, totals.bytes_out / 1e6, best,
      1e3 * best / static_cast<double>(std::max<size_t>(totals.files, 1)),
      totals.bytes_out / 1e6 / best);
  return totals.failures == 0 ? 0 : 1;
}
