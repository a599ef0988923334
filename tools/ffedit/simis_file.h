// Tells the storage forms of a SIMIS file apart and unwraps the content of the binary ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "buffers.h"
#include "read_error.h"

namespace ffedit {

enum class StorageForm : uint8_t {
  kText,             // UTF-16 with the FF FE mark: already what the tool writes
  kTextWithoutMark,  // UTF-16 text starting directly with "SIMISA@@": needs only the mark
  kBinary,           // "SIMISA@@@@@@@@@@" then the content
  kCompressed,       // "SIMISA@F", size, "@@@@", then the content as one zlib stream
};

struct SimisContent {
  StorageForm form = StorageForm::kText;
  // Binary forms: the content, starting with the 16-byte subheader. Empty for text.
  ByteBuffer data;
  // File offset of data[0] for the plain binary form (offsets in errors are file offsets).
  uint64_t file_offset = 0;
};

// Largest content accepted, in bytes. Real shapes stay far below; it bounds the allocation a
// stated size can cause.
constexpr uint32_t kMaxContentSize = 512u << 20;

// Detects the storage form of file bytes and, for the binary forms, fills content.data.
// The compressed form is inflated into a buffer bounded by its stated size; a stream that
// would produce more, ends short of it, asks for a preset dictionary or is damaged is an
// error. Returns false with error filled for anything that is not a shape in one of the forms.
bool ReadSimisFile(const uint8_t* bytes, size_t size, SimisContent& content, ReadError& error);

}  // namespace ffedit
