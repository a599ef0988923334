#include "convert/shape_reader.h"

#include "platform/files.h"

#include <cerrno>
#include <cstring>

#include "base/text.h"
#include "convert/numbers.h"
#include "platform/files.h"

namespace {

constexpr size_t kBufferSize = 1 << 16;

// Makes data/size hold at least one more byte when the source has one.
bool RefillSource(ByteSource& source) {
  if (source.size > 0) return true;
  if (source.at_end || source.file == nullptr) {
    source.at_end = true;
    return false;
  }
  size_t got = std::fread(source.buffer.data(), 1, source.buffer.size(), source.file);
  if (got == 0) {
    if (std::ferror(source.file)) source.read_error = errno != 0 ? errno : EIO;
    source.at_end = true;
    return false;
  }
  source.data = source.buffer.data();
  source.size = got;
  source.consumed += got;
  return true;
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
  while (count > 0 && RefillSource(source)) {
    size_t step = count < source.size ? count : source.size;
    source.data += step;
    source.size -= step;
    count -= step;
  }
}

// Keeping only the low byte of each unit is enough: every keyword, number and MSTS file name
// the converter looks at is ASCII, and a character beyond Latin-1 becomes some other byte
// rather than stopping the run.
void ReadShapeLine(ByteSource& source, std::string& line, bool& end_of_file) {
  line.clear();
  end_of_file = false;
  for (;;) {
    if (!RefillSource(source)) {
      end_of_file = true;
      return;
    }
    // Scan the buffered units for the carriage return that ends the line.
    const unsigned char* p = source.data;
    const unsigned char* stop = p + (source.size & ~size_t{1});
    while (p < stop) {
      unsigned char c = *p;
      p += 2;
      if (c == 0x0D) {
        source.size -= static_cast<size_t>(p - source.data);
        source.data = p;
        return;
      }
      if (c != 0x0A) line.push_back(static_cast<char>(c));
    }
    size_t consumed = static_cast<size_t>(p - source.data);
    source.data = p;
    source.size -= consumed;
    if (source.size == 1) {
      // A unit split across two buffer fills (or a last odd byte): its low byte is here.
      unsigned char c = *source.data;
      source.data += 1;
      source.size = 0;
      bool have_high = RefillSource(source);
      if (have_high) {
        source.data += 1;
        source.size -= 1;
      }
      if (c == 0x0D) return;
      if (c != 0x0A) line.push_back(static_cast<char>(c));
    }
  }
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
