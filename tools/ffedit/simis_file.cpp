#include "simis_file.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace ffedit {
namespace {

constexpr char kBinarySignature[] = "SIMISA@@@@@@@@@@";
constexpr char kCompressedSignature[] = "SIMISA@F";
// Deflate cannot expand data by more than this factor (its longest match codes), so a stated
// size beyond it cannot be real and is refused before allocating.
constexpr uint64_t kMaxInflateRatio = 1032;

bool StartsWith(const uint8_t* bytes, size_t size, const char* text) {
  size_t length = std::strlen(text);
  return size >= length && std::memcmp(bytes, text, length) == 0;
}

// "SIMISA@@" as UTF-16 little-endian, the start of a text shape saved without its mark.
bool StartsWithUtf16Signature(const uint8_t* bytes, size_t size) {
  const char* text = "SIMISA@@";
  if (size < 16) return false;
  for (size_t i = 0; i < 8; ++i) {
    if (bytes[2 * i] != static_cast<uint8_t>(text[i]) || bytes[2 * i + 1] != 0) return false;
  }
  return true;
}

bool FailAt(ReadError& error, const char* part, uint64_t offset, const char* what) {
  error.token = part;
  error.offset = offset;
  error.in_decompressed_data = false;
  error.what = what;
  return false;
}

uint32_t ReadUint32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Inflates the zlib stream into exactly stated_size bytes. The buffer grows with what the
// stream produces, so a stated size the stream does not back costs no memory.
bool InflateContent(const uint8_t* stream, size_t stream_size, uint64_t stream_offset,
                    uint32_t stated_size, ByteBuffer& data, ReadError& error) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) {
    return FailAt(error, "zlib stream", stream_offset, "zlib could not be started");
  }
  data.resize(
      static_cast<size_t>(std::min<uint64_t>(stated_size, 8 * uint64_t{stream_size} + 65536)));
  z.next_in = const_cast<Bytef*>(stream);
  z.avail_in = static_cast<uInt>(stream_size);
  size_t produced = 0;
  uint8_t probe = 0;
  const char* failure = nullptr;
  while (true) {
    bool full = produced == data.size();
    if (full && data.size() < stated_size) {
      data.resize(static_cast<size_t>(std::min<uint64_t>(stated_size, 2 * uint64_t{data.size()})));
      full = false;
    }
    // Once the stated size is reached, one more byte of room shows whether the stream goes on.
    z.next_out = full ? &probe : data.data() + produced;
    z.avail_out = full ? 1 : static_cast<uInt>(data.size() - produced);
    int status = inflate(&z, Z_NO_FLUSH);
    if (full && z.avail_out == 0) {
      failure = "the stream inflates past the size stated in the header";
      break;
    }
    if (!full) produced = data.size() - z.avail_out;
    if (status == Z_STREAM_END) break;
    if (status == Z_NEED_DICT) {
      failure = "the stream asks for a preset dictionary";
      break;
    }
    if (status != Z_OK && status != Z_BUF_ERROR) {
      failure = "the zlib stream is damaged";
      break;
    }
    if (z.avail_in == 0 && z.avail_out != 0) {
      failure = "the file ends inside the zlib stream";
      break;
    }
  }
  uint64_t consumed = z.total_in;
  inflateEnd(&z);
  if (failure) return FailAt(error, "zlib stream", stream_offset + consumed, failure);
  if (produced != stated_size) {
    return FailAt(error, "zlib stream", stream_offset + consumed,
                  "the stream ends short of the size stated in the header");
  }
  return true;
}

bool ReadCompressedFile(const uint8_t* bytes, size_t size, uint64_t file_offset,
                        SimisContent& content, ReadError& error) {
  if (size < 16)
    return FailAt(error, "SIMISA@F header", file_offset, "the file ends inside its header");
  if (std::memcmp(bytes + 12, "@@@@", 4) != 0) {
    return FailAt(error, "SIMISA@F header", file_offset + 12, "\"@@@@\" expected after the size");
  }
  uint32_t stated_size = ReadUint32(bytes + 8);
  if (size - 16 > kMaxContentSize) {
    return FailAt(error, "SIMISA@F header", file_offset,
                  "the file is larger than this tool handles");
  }
  if (stated_size > kMaxContentSize || stated_size > (size - 16) * kMaxInflateRatio) {
    return FailAt(error, "SIMISA@F header", file_offset + 8,
                  "the stated size is larger than the compressed data can hold");
  }
  content.form = StorageForm::kCompressed;
  content.file_offset = 0;
  return InflateContent(bytes + 16, size - 16, file_offset + 16, stated_size, content.data, error);
}

}  // namespace

bool ReadSimisFile(const uint8_t* bytes, size_t size, SimisContent& content, ReadError& error) {
  // content.data keeps its capacity: a caller reading many files allocates once.
  content.form = StorageForm::kText;
  content.data.clear();
  content.file_offset = 0;
  if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    content.form = StorageForm::kText;
    return true;
  }
  if (StartsWithUtf16Signature(bytes, size)) {
    content.form = StorageForm::kTextWithoutMark;
    return true;
  }
  // A few files carry a CR LF before their signature; it is skipped.
  uint64_t start = (size >= 2 && bytes[0] == '\r' && bytes[1] == '\n') ? 2 : 0;
  const uint8_t* file = bytes + start;
  size_t file_size = size - start;
  if (StartsWith(file, file_size, kCompressedSignature)) {
    return ReadCompressedFile(file, file_size, start, content, error);
  }
  if (StartsWith(file, file_size, kBinarySignature)) {
    content.form = StorageForm::kBinary;
    content.file_offset = start + 16;
    content.data.assign(file + 16, file + file_size);
    return true;
  }
  return FailAt(error, "file header", 0,
                "not a shape file: neither FF FE, \"SIMISA@@@@@@@@@@\" nor \"SIMISA@F\"");
}

std::string DescribeReadError(const ReadError& error) {
  std::string text = error.token + " at byte offset " + std::to_string(error.offset);
  if (error.in_decompressed_data) text += " of the decompressed data";
  return text + ": " + error.what;
}

}  // namespace ffedit
