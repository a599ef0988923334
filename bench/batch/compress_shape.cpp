// sw_bench_compress_shape: writes the compressed storage form of a UTF-16 text shape, for the
// batch benchmark's collection (a third of its shapes are stored compressed, as in real packs).
//
//   sw_bench_compress_shape TEXT.s COMPRESSED.s
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shape_encoder.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: sw_bench_compress_shape TEXT.s COMPRESSED.s\n", stderr);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The low byte of each UTF-16 unit after the mark; the header line is the wrapper's to write.
  std::string text;
  text.reserve(bytes.size() / 2);
  for (size_t at = 2; at + 1 < bytes.size(); at += 2) text += bytes[at];
  size_t body = text.find("shape (");
  if (body == std::string::npos) {
    std::fprintf(stderr, "%s: no shape block\n", argv[1]);
    return 1;
  }
  // The generator abbreviates geometry_node_map; the token table knows the block by its full name.
  for (size_t at = 0; (at = text.find("geo_node_map", at)) != std::string::npos; at += 17)
    text.replace(at, 12, "geometry_node_map");
  std::vector<uint8_t> blocks;
  std::string problem;
  if (!ffedit_test::EncodeShapeBlocks(std::string_view(text).substr(body), blocks, problem)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], problem.c_str());
    return 1;
  }
  std::vector<uint8_t> file = ffedit_test::WrapCompressedShape(blocks);
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return out ? 0 : 1;
}
