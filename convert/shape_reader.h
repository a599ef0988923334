// The line reader over MSTS text, the section seek and the field cutting that every reader
// of shape and ENG/WAG text shares. The reader decodes UTF-16 (either byte order) or UTF-8 and
// keeps one 8-bit character per UTF-16 unit, its low byte, so every later rule sees the same
// lines whatever the encoding.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"

// How the bytes of a text encode its characters.
enum class TextEncoding { kUtf16Le, kUtf16Be, kUtf8 };

// The character that ends a line: the first carriage return or line feed of the text decides
// (MSTS writes CR LF, so CR; a text with bare LF ends, LF), and the other is dropped.
enum class LineEnd { kNotYetSeen, kCarriageReturn, kLineFeed };

// A forward-only source of bytes: a file read through a buffer, or bytes in memory. Bytes are
// narrowed to characters a block at a time (see ReadShapeLine), once the encoding is set.
struct ByteSource {
  std::FILE* file = nullptr;
  std::vector<unsigned char> buffer;
  const unsigned char* data = nullptr;  // the bytes not yet narrowed
  size_t size = 0;
  bool at_end = false;       // nothing more can be read
  int read_error = 0;        // errno of a failed read, 0 when none
  uint64_t total_bytes = 0;  // size of the whole source when known, else 0
  uint64_t consumed = 0;     // bytes taken from the file so far (buffered included)
  TextEncoding encoding = TextEncoding::kUtf16Le;
  LineEnd line_end = LineEnd::kNotYetSeen;
  std::string characters;          // the last block narrowed: one 8-bit character per unit
  size_t next_character = 0;       // the first of them not yet read
  uint64_t characters_before = 0;  // characters narrowed before the block
  // Where the first character 0 stands (a sign of another encoding); UINT64_MAX when none.
  uint64_t first_nul = UINT64_MAX;
};

// Opens path for reading when it is a regular file; false with the reason otherwise.
bool OpenFileSource(ByteSource& source, const std::string& path, std::string& reason);
void OpenMemorySource(ByteSource& source, const unsigned char* data, size_t size);
void CloseSource(ByteSource& source);
// Drops up to count bytes (the byte-order mark in front of the shape text), before any line is
// read.
void SkipBytes(ByteSource& source, size_t count);

// Sets the source's encoding from its first bytes, which stay unread, before any line is read:
// a byte-order mark (FF FE, FE FF, EF BB BF), else the zero byte of a first ASCII character in
// UTF-16, else UTF-8. Returns the length of the mark, 0 when there is none.
size_t DetectTextEncoding(ByteSource& source);
std::string_view EncodingName(TextEncoding encoding);

// Reads the next line: one 8-bit character per UTF-16 unit (the low byte; UTF-8 is decoded to
// units first), ended by the text's line end (see LineEnd) and without it. end_of_file is true
// when the source ran out while this line was read. After the end every call gives an empty
// line.
void ReadShapeLine(ByteSource& source, std::string& line, bool& end_of_file);

// Why a text that gave nothing useful may not have been read as intended, to add to the
// message that names it: NUL characters in it (an encoding not read), or no line end at all.
// Empty when neither.
std::string TextTrouble(const ByteSource& source);

// The current line of a run: text in a buffer, cut down from both ends in place.
struct CurrentLine {
  std::string text;
  size_t begin = 0;
  size_t end = 0;
  long number = 0;           // 1-based line number of the last line read
  bool end_of_file = false;  // the last read met the end of the source
};

inline std::string_view LineView(const CurrentLine& line) {
  return std::string_view(line.text).substr(line.begin, line.end - line.begin);
}
bool LineStartsWith(const CurrentLine& line, std::string_view keyword);

// Replaces the current line with the next line of the source, as read.
void ReadNextLine(ByteSource& source, CurrentLine& line);
// Trims both ends (blank, tab, CR, LF, VT, FF) and turns A to Z into a to z.
void NormaliseLine(CurrentLine& line);
// Trims both ends.
inline void TrimLine(CurrentLine& line) {
  const char* text = line.text.data();
  size_t begin = line.begin, end = line.end;
  while (begin < end && IsCSpace(text[begin])) ++begin;
  while (end > begin && IsCSpace(text[end - 1])) --end;
  line.begin = begin;
  line.end = end;
}
// The current line becomes the text behind the first marker, trimmed; unchanged when the
// marker does not occur. Returns whether the marker occurred.
bool SkipPast(CurrentLine& line, char marker);
// Drops the first count characters (all of them when the line is shorter).
void DropFront(CurrentLine& line, size_t count);
// Appends separator (when not 0) and the next line of the source, as read.
void AppendNextLine(ByteSource& source, CurrentLine& line, char separator, std::string& scratch);

// Makes the current line the first line, starting with the current line itself, whose first
// characters equal keyword; lines read by the seek are normalised before they are compared.
// False when the source ended before such a line came.
bool SeekSection(ByteSource& source, CurrentLine& line, std::string_view keyword);

// A section's count: the integer read from the text behind the first "(" (the whole line when
// there is none), which becomes the current line, untrimmed.
int32_t ReadSectionCount(CurrentLine& line);
