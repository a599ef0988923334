#include "convert/shape_reader.h"

#include "platform/files.h"

#include <bit>
#include <cerrno>
#include <cstring>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "base/text.h"
#include "convert/numbers.h"
#include "platform/files.h"

namespace {

constexpr size_t kBufferSize = 1 << 16;
constexpr unsigned char kCarriageReturn = 0x0D;
constexpr unsigned char kLineFeed = 0x0A;

// Makes data/size hold at least wanted bytes when the source has them, moving the bytes not
// yet consumed to the front of the buffer first (a unit or sequence cut by the buffer's end
// is then whole). False when not one byte is left.
bool FillSource(ByteSource& source, size_t wanted) {
  while (source.size < wanted && !source.at_end && source.file != nullptr) {
    if (source.size > 0 && source.data != source.buffer.data()) {
      std::memmove(source.buffer.data(), source.data, source.size);
    }
    source.data = source.buffer.data();
    size_t got = std::fread(source.buffer.data() + source.size, 1,
                            source.buffer.size() - source.size, source.file);
    if (got == 0) {
      if (std::ferror(source.file)) source.read_error = errno != 0 ? errno : EIO;
      source.at_end = true;
      break;
    }
    source.size += got;
    source.consumed += got;
  }
  if (source.size == 0) source.at_end = true;
  return source.size > 0;
}

void Consume(ByteSource& source, const unsigned char* to) {
  source.size -= static_cast<size_t>(to - source.data);
  source.data = to;
}

// The low byte of each of count UTF-16 units at in (low is its offset in the unit), into out.
// Sixteen units at a time where SSE2 is at hand, one at a time otherwise and for the tail.
void NarrowUtf16(const unsigned char* in, size_t count, size_t low, char* out) {
  size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
  const __m128i mask = _mm_set1_epi16(0x00FF);
  for (; i + 16 <= count; i += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i + 16));
    if (low == 1) {
      a = _mm_srli_epi16(a, 8);
      b = _mm_srli_epi16(b, 8);
    } else {
      a = _mm_and_si128(a, mask);
      b = _mm_and_si128(b, mask);
    }
    // Every unit is now at most 0xFF, so the saturating pack keeps it as it is.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, b));
  }
#endif
  for (; i < count; ++i) out[i] = static_cast<char>(in[2 * i + low]);
}

// The UTF-16 unit or units of the UTF-8 sequence at p (before end), and its length. A byte
// that starts no whole, well-formed sequence is a character of its own, as in a file written
// in a Windows code page, whose Latin-1 letters are then the same bytes as in UTF-16.
size_t DecodeUtf8Units(const unsigned char* p, const unsigned char* end, uint32_t units[2]) {
  uint32_t code = 0;
  size_t length = DecodeUtf8(
      std::string_view(reinterpret_cast<const char*>(p), static_cast<size_t>(end - p)), code);
  units[0] = p[0];
  units[1] = 0;
  if (length == 0) return 1;
  if (code >= 0x10000) {  // a surrogate pair, as UTF-16 holds it
    units[0] = 0xD800 + ((code - 0x10000) >> 10);
    units[1] = 0xDC00 + (code & 0x3FF);
  } else {
    units[0] = code;
  }
  return length;
}

// Narrows the UTF-16 units at hand (a last odd byte of the source is a unit of its own).
void NarrowUtf16Block(ByteSource& source) {
  const size_t low = source.encoding == TextEncoding::kUtf16Be ? 1 : 0;
  size_t count = source.size / 2;
  if (count == 0) {
    source.characters.assign(1, static_cast<char>(source.data[0]));
    Consume(source, source.data + 1);
    return;
  }
  source.characters.resize(count);
  NarrowUtf16(source.data, count, low, source.characters.data());
  Consume(source, source.data + 2 * count);
}

// Narrows the UTF-8 at hand, each sequence to the low bytes of its units. A sequence near the
// buffer's end waits for the next fill, unless the source has ended.
void NarrowUtf8Block(ByteSource& source) {
  const unsigned char* p = source.data;
  const unsigned char* end = p + source.size;
  const bool more = source.file != nullptr && !source.at_end;
  const unsigned char* stop = more ? end - 3 : end;
  std::string& out = source.characters;
  out.clear();
  while (p < stop) {
    const unsigned char* ascii = p;
    while (p < stop && *p < 0x80) ++p;
    out.append(reinterpret_cast<const char*>(ascii), static_cast<size_t>(p - ascii));
    if (p == stop) break;
    uint32_t units[2];
    p += DecodeUtf8Units(p, end, units);
    out.push_back(static_cast<char>(units[0] & 0xFF));
    if (units[1] != 0) out.push_back(static_cast<char>(units[1] & 0xFF));
  }
  Consume(source, p);
}

// Makes the next block of characters ready to read; false when the source has no more.
bool NarrowNextBlock(ByteSource& source) {
  source.characters_before += source.characters.size();
  source.characters.clear();
  source.next_character = 0;
  while (source.characters.empty()) {
    if (!FillSource(source, source.encoding == TextEncoding::kUtf8 ? 4 : 2)) return false;
    if (source.encoding == TextEncoding::kUtf8) {
      NarrowUtf8Block(source);
    } else {
      NarrowUtf16Block(source);
    }
  }
  if (source.first_nul == UINT64_MAX) {
    const void* nul = std::memchr(source.characters.data(), 0, source.characters.size());
    if (nul != nullptr) {
      source.first_nul =
          source.characters_before +
          static_cast<uint64_t>(static_cast<const char*>(nul) - source.characters.data());
    }
  }
  return true;
}

// Where the first CR or LF stands among count characters at text; count when there is none.
// Sixteen characters at a time where SSE2 is at hand, one at a time otherwise and for the tail.
size_t FindLineBreak(const char* text, size_t count) {
  size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
  const __m128i cr = _mm_set1_epi8(static_cast<char>(kCarriageReturn));
  const __m128i lf = _mm_set1_epi8(static_cast<char>(kLineFeed));
  for (; i + 16 <= count; i += 16) {
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(c, cr), _mm_cmpeq_epi8(c, lf))));
    if (mask != 0) return i + static_cast<size_t>(std::countr_zero(mask));
  }
#endif
  for (; i < count; ++i) {
    if (text[i] == kCarriageReturn || text[i] == kLineFeed) return i;
  }
  return count;
}

// Characters up to the line end; true when it came, false when the source ran out. A CR or
// LF ends the line when it is the text's line end (the first of the two met sets it) and is
// dropped when it is the other.
bool ReadNarrowedLine(ByteSource& source, std::string& line) {
  for (;;) {
    if (source.next_character == source.characters.size() && !NarrowNextBlock(source)) {
      return false;
    }
    const char* text = source.characters.data() + source.next_character;
    size_t count = source.characters.size() - source.next_character;
    // The LF that starts every line of a CR LF text is dropped without a search.
    if (source.line_end == LineEnd::kCarriageReturn && count > 0 && text[0] == kLineFeed) {
      ++source.next_character;
      continue;
    }
    size_t at = FindLineBreak(text, count);
    line.append(text, at);
    if (at == count) {
      source.next_character += count;
      continue;
    }
    source.next_character += at + 1;
    LineEnd kind = text[at] == kCarriageReturn ? LineEnd::kCarriageReturn : LineEnd::kLineFeed;
    if (source.line_end == LineEnd::kNotYetSeen) source.line_end = kind;
    if (source.line_end == kind) return true;
  }
}

}  // namespace

bool OpenFileSource(ByteSource& source, const std::string& path, std::string& reason) {
  source = ByteSource{};
  uint64_t size = 0;
  source.file = platform::OpenRegularFile(path, reason, size);
  if (source.file == nullptr) return false;
  source.buffer.resize(kBufferSize);
  source.total_bytes = size;
  return true;
}

void OpenMemorySource(ByteSource& source, const unsigned char* data, size_t size) {
  source = ByteSource{};
  source.data = data;
  source.size = size;
  source.total_bytes = size;
  source.consumed = size;
}

void CloseSource(ByteSource& source) {
  if (source.file != nullptr) std::fclose(source.file);
  source.file = nullptr;
  source.size = 0;
  source.at_end = true;
}

void SkipBytes(ByteSource& source, size_t count) {
  while (count > 0 && FillSource(source, 1)) {
    size_t step = count < source.size ? count : source.size;
    Consume(source, source.data + step);
    count -= step;
  }
}

size_t DetectTextEncoding(ByteSource& source) {
  FillSource(source, 3);
  const unsigned char* d = source.data;
  const size_t n = source.size;
  source.encoding = TextEncoding::kUtf8;
  if (n < 2) return 0;
  if (d[0] == 0xFF && d[1] == 0xFE) {
    source.encoding = TextEncoding::kUtf16Le;
    return 2;
  }
  if (d[0] == 0xFE && d[1] == 0xFF) {
    source.encoding = TextEncoding::kUtf16Be;
    return 2;
  }
  if (n >= 3 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF) return 3;
  if (d[0] != 0 && d[1] == 0) source.encoding = TextEncoding::kUtf16Le;
  if (d[0] == 0 && d[1] != 0) source.encoding = TextEncoding::kUtf16Be;
  return 0;
}

std::string_view EncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kUtf16Le:
      return "UTF-16LE";
    case TextEncoding::kUtf16Be:
      return "UTF-16BE";
    case TextEncoding::kUtf8:
      break;
  }
  return "UTF-8";
}

void ReadShapeLine(ByteSource& source, std::string& line, bool& end_of_file) {
  line.clear();
  end_of_file = !ReadNarrowedLine(source, line);
}

std::string TextTrouble(const ByteSource& source) {
  // A character 0 counts once it has been read.
  uint64_t read = source.characters_before + source.next_character;
  if (source.first_nul < read) {
    return "it holds NUL characters: it is not " + std::string(EncodingName(source.encoding)) +
           " text";
  }
  if (source.line_end == LineEnd::kNotYetSeen) return "it has no line ends (CR LF or LF)";
  return {};
}

bool LineStartsWith(const CurrentLine& line, std::string_view keyword) {
  return LineView(line).starts_with(keyword);
}

void ReadNextLine(ByteSource& source, CurrentLine& line) {
  ReadShapeLine(source, line.text, line.end_of_file);
  line.begin = 0;
  line.end = line.text.size();
  ++line.number;
}

void NormaliseLine(CurrentLine& line) {
  TrimLine(line);
  // Through plain pointers: a store through the string's own could change line itself.
  char* c = line.text.data() + line.begin;
  char* const end = line.text.data() + line.end;
  for (; c < end; ++c) *c = LowerAscii(*c);
}

bool SkipPast(CurrentLine& line, char marker) {
  // The marker is mostly a few characters on (the next field): a plain loop beats a call.
  const char* text = line.text.data();
  size_t at = line.begin;
  while (at < line.end && text[at] != marker) ++at;
  const bool found = at < line.end;
  if (found) line.begin = at + 1;
  TrimLine(line);
  return found;
}

void DropFront(CurrentLine& line, size_t count) {
  size_t length = line.end - line.begin;
  line.begin += count < length ? count : length;
}

void AppendNextLine(ByteSource& source, CurrentLine& line, char separator, std::string& scratch) {
  ReadShapeLine(source, scratch, line.end_of_file);
  ++line.number;
  line.text.resize(line.end);
  if (separator != 0) line.text.push_back(separator);
  line.text.append(scratch);
  line.end = line.text.size();
}

bool SeekSection(ByteSource& source, CurrentLine& line, std::string_view keyword) {
  if (LineStartsWith(line, keyword)) return true;
  for (;;) {
    ReadNextLine(source, line);
    NormaliseLine(line);
    if (LineStartsWith(line, keyword)) return true;
    if (line.end_of_file) return false;
  }
}

int32_t ReadSectionCount(CurrentLine& line) {
  std::string_view view = LineView(line);
  size_t at = view.find('(');
  if (at != std::string_view::npos) line.begin += at + 1;
  return ReadLeadingInt(LineView(line));
}
