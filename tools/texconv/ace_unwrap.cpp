// The SIMIS wrapper of ACE files: plain, or one zlib stream whose output is bounded by the
// image that the ACE header inside it announces. Where libdeflate is available it inflates
// sound files (about twice as fast as zlib); zlib checks everything else and gives the reasons.
#include <zlib.h>
#if TEXCONV_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <cstring>
#include <string>

#include "tools/texconv/ace.h"

namespace texconv {
namespace {

constexpr char kPlainSignature[] = "SIMISA@@@@@@@@@@";
constexpr char kCompressedSignature[] = "SIMISA@F";
constexpr size_t kSignatureSize = 16;

bool StartsWith(std::span<const uint8_t> bytes, const char* text, size_t offset = 0) {
  size_t length = std::strlen(text);
  return bytes.size() >= offset + length && std::memcmp(bytes.data() + offset, text, length) == 0;
}

// One zlib stream over the file's bytes after the wrapper header, inflated in steps.
struct Inflater {
  z_stream stream = {};
  bool open = false;
  bool ended = false;
  ~Inflater() {
    if (open) inflateEnd(&stream);
  }
};

// Inflates into out[produced, limit); advances produced. False with reason on a zlib fault.
bool InflateInto(Inflater& inflater, std::vector<uint8_t>& out, size_t& produced, size_t limit,
                 std::string& reason) {
  z_stream& stream = inflater.stream;
  while (produced < limit && !inflater.ended) {
    // avail_out is 32 bits wide; the limit is far below that, but go in steps anyway.
    uInt step = uInt(std::min<size_t>(limit - produced, 1u << 30));
    stream.next_out = out.data() + produced;
    stream.avail_out = step;
    int result = inflate(&stream, Z_NO_FLUSH);
    produced += step - stream.avail_out;
    if (result == Z_STREAM_END) {
      inflater.ended = true;
    } else if (result == Z_NEED_DICT) {
      reason = "zlib stream needs a preset dictionary";
      return false;
    } else if (result == Z_BUF_ERROR && stream.avail_in == 0) {
      reason = "zlib data cut off after " + std::to_string(stream.total_out) + " bytes";
      return false;
    } else if (result != Z_OK) {
      reason = std::string("corrupt zlib data (") + (stream.msg ? stream.msg : "error") + ")";
      return false;
    }
  }
  return true;
}

uint32_t ReadSizeField(std::span<const uint8_t> file) {
  return uint32_t(file[8]) | uint32_t(file[9]) << 8 | uint32_t(file[10]) << 16 |
         uint32_t(file[11]) << 24;
}

bool StartInflater(std::span<const uint8_t> file, Inflater& inflater, std::string& reason) {
  inflater.stream.next_in = const_cast<Bytef*>(file.data() + kSignatureSize);
  // Files are read whole and are far below 4 GiB; a larger span only loses its tail.
  inflater.stream.avail_in = uInt(std::min<size_t>(file.size() - kSignatureSize, 0xFFFFFFFFu));
  if (inflateInit(&inflater.stream) != Z_OK) {
    reason = "zlib cannot start";
    return false;
  }
  inflater.open = true;
  return true;
}

// Inflates the ACE header and descriptors into out (produced bytes), checks them and the size
// field against the image they announce: the stream may hold no more than that.
bool InflateAceHeader(std::span<const uint8_t> file, Inflater& inflater, std::vector<uint8_t>& out,
                      size_t& produced, std::string& reason) {
  uint32_t size_field = ReadSizeField(file);
  out.assign(std::min<size_t>(size_field, kAceHeaderSize + 16 * kMaxAceChannels), 0);
  produced = 0;
  size_t needed = std::min<size_t>(kAceHeaderSize, out.size());
  if (!InflateInto(inflater, out, produced, needed, reason)) return false;
  needed = std::min(AceHeaderBytesNeeded({out.data(), produced}), out.size());
  if (!InflateInto(inflater, out, produced, needed, reason)) return false;
  AceLayout layout;
  if (!ReadAceLayout({out.data(), produced}, layout, reason)) return false;
  if (size_field > layout.data_end + kMaxAceTrailingBytes) {
    reason = "size field " + std::to_string(size_field) + " exceeds the image data (" +
             std::to_string(layout.data_end) + " bytes) by more than " +
             std::to_string(kMaxAceTrailingBytes);
    return false;
  }
  return true;
}

bool InflateWithZlib(std::span<const uint8_t> file, std::vector<uint8_t>& inflated,
                     std::string& reason) {
  Inflater inflater;
  if (!StartInflater(file, inflater, reason)) return false;
  std::vector<uint8_t> out;
  size_t produced = 0;
  if (!InflateAceHeader(file, inflater, out, produced, reason)) return false;
  uint32_t size_field = ReadSizeField(file);
  out.resize(size_field);
  if (!InflateInto(inflater, out, produced, out.size(), reason)) return false;
  if (produced < size_field) {
    reason = "zlib data ends after " + std::to_string(produced) + " of " +
             std::to_string(size_field) + " bytes";
    return false;
  }
  if (!inflater.ended) {
    // The size field is reached: the stream must end here, without one more byte.
    std::vector<uint8_t> extra(1);
    size_t extra_produced = 0;
    if (!InflateInto(inflater, extra, extra_produced, 1, reason)) return false;
    if (extra_produced != 0) {
      reason = "zlib data longer than its size field " + std::to_string(size_field);
      return false;
    }
  }
  inflated = std::move(out);
  return true;
}

#if TEXCONV_HAVE_LIBDEFLATE
// The fast path for sound files: the header through zlib for the bound, then the whole stream
// in one call, which must produce exactly the size field's bytes and a valid checksum. Any
// doubt returns false, and the zlib path then names the fault.
bool InflateWithLibdeflate(std::span<const uint8_t> file, std::vector<uint8_t>& inflated) {
  std::string ignored;
  {
    Inflater inflater;
    std::vector<uint8_t> header;
    size_t produced = 0;
    if (!StartInflater(file, inflater, ignored) ||
        !InflateAceHeader(file, inflater, header, produced, ignored)) {
      return false;
    }
  }
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  if (decompressor == nullptr) return false;
  std::vector<uint8_t> out(ReadSizeField(file));
  libdeflate_result result =
      libdeflate_zlib_decompress(decompressor, file.data() + kSignatureSize,
                                 file.size() - kSignatureSize, out.data(), out.size(), nullptr);
  libdeflate_free_decompressor(decompressor);
  if (result != LIBDEFLATE_SUCCESS) return false;
  inflated = std::move(out);
  return true;
}
#endif

bool InflateAceData(std::span<const uint8_t> file, std::vector<uint8_t>& inflated,
                    std::string& reason) {
  if (!StartsWith(file, "@@@@", 12)) {
    reason = "compressed SIMIS header without @@@@";
    return false;
  }
#if TEXCONV_HAVE_LIBDEFLATE
  if (InflateWithLibdeflate(file, inflated)) return true;
#endif
  return InflateWithZlib(file, inflated, reason);
}

}  // namespace

bool FindAceData(std::span<const uint8_t> file, std::vector<uint8_t>& inflated,
                 std::span<const uint8_t>& ace_data, std::string& reason) {
  if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFE) {
    reason = "a SIMIS text file, not a texture";
    return false;
  }
  if (file.size() < kSignatureSize) {
    reason = "not a SIMIS file (shorter than its signature)";
    return false;
  }
  if (StartsWith(file, kPlainSignature)) {
    ace_data = file.subspan(kSignatureSize);
    return true;
  }
  if (!StartsWith(file, kCompressedSignature)) {
    reason = "not a SIMIS file";
    return false;
  }
  if (!InflateAceData(file, inflated, reason)) return false;
  ace_data = inflated;
  return true;
}

bool UnwrapAceFile(std::span<const uint8_t> file, std::vector<uint8_t>& ace_data,
                   std::string& reason) {
  std::vector<uint8_t> inflated;
  std::span<const uint8_t> found;
  if (!FindAceData(file, inflated, found, reason)) return false;
  ace_data.assign(found.begin(), found.end());
  return true;
}

bool DecodeAceFile(std::span<const uint8_t> file, RgbaImage& image, std::string& reason) {
  std::vector<uint8_t> inflated;
  std::span<const uint8_t> ace_data;
  return FindAceData(file, inflated, ace_data, reason) && DecodeAceData(ace_data, image, reason);
}

}  // namespace texconv
