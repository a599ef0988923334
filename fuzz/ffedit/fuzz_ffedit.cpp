// fuzz_ffedit: arbitrary bytes through the shape file reader and the text writer, once as a
// whole file (storage forms, inflation, subheader, blocks) and once as bare blocks, where any
// token may stand at the top level so that deep tokens are reached directly.
#include <cstddef>
#include <cstdint>
#include <string>

#include "binary_shape.h"
#include "shape_text.h"
#include "simis_file.h"

namespace {

void WriteAndCheck(const ffedit::ShapeTree& tree, bool whole_file) {
  ffedit::TextBuffer text;
  if (whole_file) {
    ffedit::WriteShapeText(tree, text);
  } else {
    ffedit::WriteShapeBlocks(tree, text);
  }
  // Every top-level block ends its line.
  if (!tree.items.empty() && (text[text.size() - 2] != u'\r' || text[text.size() - 1] != u'\n'))
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ffedit::SimisContent content;
  ffedit::ReadError error;
  ffedit::ShapeTree tree;
  if (ffedit::ReadSimisFile(data, size, content, error) && !content.data.empty()) {
    if (ffedit::ReadBinaryShape(content.data.data(), content.data.size(), content.file_offset,
                                content.form == ffedit::StorageForm::kCompressed, tree, error)) {
      WriteAndCheck(tree, true);
    } else if (error.token.empty() || error.what.empty()) {
      __builtin_trap();  // every failure names its token and reason
    }
  }
  if (ffedit::ReadShapeBlocks(data, size, tree, error)) WriteAndCheck(tree, false);
  return 0;
}
