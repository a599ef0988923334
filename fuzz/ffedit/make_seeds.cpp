// ffedit_make_seeds FOLDER: writes the fuzzer's seeds, the hand-made test shapes in their
// binary and compressed forms and as bare blocks. Run by hand when the test shapes change.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "shape_encoder.h"

namespace {

void WriteSeed(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ffedit_make_seeds FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  for (const char* name : {"full", "minimal"}) {
    std::vector<uint8_t> blocks;
    std::string problem;
    if (!ffedit_test::EncodeShapeBlocks(ffedit_test::ReadTestData(std::string(name) + ".txt"),
                                        blocks, problem)) {
      std::fprintf(stderr, "%s: %s\n", name, problem.c_str());
      return 1;
    }
    WriteSeed(folder + "/" + name + "_binary.s", ffedit_test::WrapBinaryShape(blocks));
    WriteSeed(folder + "/" + name + "_compressed.s", ffedit_test::WrapCompressedShape(blocks));
    WriteSeed(folder + "/" + name + "_blocks.bin", blocks);
  }
  return 0;
}
