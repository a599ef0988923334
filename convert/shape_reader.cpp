#include "convert/shape_reader.h"

#include "platform/files.h"

#include <cerrno>
#include <cstring>

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

// A character at or below CR: a CR or LF ends the line when it is the text's line end (the
// first of the two met sets it) and is dropped when it is the other; any other is kept.
bool EndsLine(ByteSource& source, unsigned char c, std::string& line) {
  if (c != kCarriageReturn && c != kLineFeed) {
    if (c == 0) ++source.nul_characters;
    line.push_back(static_cast<char>(c));
    return false;
  }
  LineEnd kind = c == kCarriageReturn ? LineEnd::kCarriageReturn : LineEnd::kLineFeed;
  if (source.line_end == LineEnd::kNotYetSeen) source.line_end = kind;
  return source.line_end == kind;
}

// Adds one character to the line, or ends it. Keeping only the low byte of each unit is
// enough: every keyword, number and MSTS file name the converter looks at is ASCII or
// Latin-1, and a character beyond that becomes some other byte rather than stopping the run.
bool TakeCharacter(ByteSource& source, unsigned char c, std::string& line) {
  if (c > kCarriageReturn) {
    line.push_back(static_cast<char>(c));
    return false;
  }
  return EndsLine(source, c, line);
}

// UTF-16 units up to the line end; true when it came, false when the source ran out.
bool ReadUtf16Line(ByteSource& source, std::string& line) {
  const size_t low = source.encoding == TextEncoding::kUtf16Be ? 1 : 0;
  for (;;) {
    if (!FillSource(source, 2)) return false;
    if (source.size == 1) {  // a last odd byte: taken as a character
      unsigned char c = source.data[0];
      Consume(source, source.data + 1);
      if (TakeCharacter(source, c, line)) return true;
      continue;
    }
    const unsigned char* p = source.data;
    const unsigned char* stop = p + (source.size & ~size_t{1});
    while (p < stop) {
      unsigned char c = p[low];
      p += 2;
      if (TakeCharacter(source, c, line)) {
        Consume(source, p);
        return true;
      }
    }
    Consume(source, p);
  }
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

// UTF-8 up to the line end; true when it came, false when the source ran out.
bool ReadUtf8Line(ByteSource& source, std::string& line) {
  for (;;) {
    if (!FillSource(source, 4)) return false;
    const unsigned char* p = source.data;
    const unsigned char* end = p + source.size;
    // A sequence near the buffer's end waits for the next fill, unless the source has ended.
    const bool more = source.file != nullptr && !source.at_end;
    const unsigned char* stop = more ? end - 3 : end;
    while (p < stop) {
      if (*p < 0x80) {
        unsigned char c = *p++;
        if (TakeCharacter(source, c, line)) {
          Consume(source, p);
          return true;
        }
        continue;
      }
      uint32_t units[2];
      p += DecodeUtf8Units(p, end, units);
      bool ended = TakeCharacter(source, static_cast<unsigned char>(units[0] & 0xFF), line);
      if (!ended && units[1] != 0) {
        ended = TakeCharacter(source, static_cast<unsigned char>(units[1] & 0xFF), line);
      }
      if (ended) {
        Consume(source, p);
        return true;
      }
    }
    Consume(source, p);
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
  bool ended = source.encoding == TextEncoding::kUtf8 ? ReadUtf8Line(source, line)
                                                      : ReadUtf16Line(source, line);
  end_of_file = !ended;
}

std::string TextTrouble(const ByteSource& source) {
  if (source.nul_characters > 0) {
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

void TrimLine(CurrentLine& line) {
  while (line.begin < line.end && IsCSpace(line.text[line.begin])) ++line.begin;
  while (line.end > line.begin && IsCSpace(line.text[line.end - 1])) --line.end;
}

void NormaliseLine(CurrentLine& line) {
  TrimLine(line);
  for (size_t i = line.begin; i < line.end; ++i) line.text[i] = LowerAscii(line.text[i]);
}

bool SkipPast(CurrentLine& line, char marker) {
  std::string_view view = LineView(line);
  size_t at = view.find(marker);
  if (at != std::string_view::npos) line.begin += at + 1;
  TrimLine(line);
  return at != std::string_view::npos;
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
