// ASCII text helpers that every layer shares. MSTS names and keywords are ASCII and compare
// without regard to letter case; the C locale's rules apply whatever the user's locale is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The C library's white space in the "C" locale: blank, tab, LF, VT, FF and CR.
constexpr bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A to Z become a to z; every other byte stays as it is.
constexpr char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline void LowerAsciiInPlace(std::string& text) {
  for (char& c : text) c = LowerAscii(c);
}
inline std::string ToLowerAscii(std::string_view text) {
  std::string lower(text);
  LowerAsciiInPlace(lower);
  return lower;
}

constexpr bool EndsWith(std::string_view text, std::string_view tail) {
  return text.ends_with(tail);
}

// "1 texture", "2 textures", "0 textures": the count and its noun; plural defaults to the
// noun with an "s".
inline std::string Plural(uint64_t count, std::string_view noun, std::string_view plural = {}) {
  std::string text = std::to_string(count) + " ";
  if (count == 1) return text.append(noun);
  if (!plural.empty()) return text.append(plural);
  return text.append(noun).append("s");
}

// text safe to print on a terminal: each control byte (below 0x20, and 0x7F) as "\xHH", so
// that a name cannot break a line or send the terminal an escape sequence.
inline std::string EscapeControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out += c;
      continue;
    }
    constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
  }
  return out;
}

// The length of the well-formed UTF-8 sequence at the start of text (not empty); 0 when it
// holds none: a stray continuation byte, an overlong form, a surrogate, beyond U+10FFFF, cut.
inline size_t Utf8SequenceLength(std::string_view text) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (length == 0 || text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
  }
  unsigned char second = byte(1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
    return 0;
  return length;
}

// text as valid UTF-8: well-formed sequences kept, every other byte read as Latin-1, the code
// page MSTS names were written in.
inline std::string ToValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    size_t length = Utf8SequenceLength(text);
    if (length > 0) {
      out.append(text.substr(0, length));
      text.remove_prefix(length);
      continue;
    }
    auto byte = static_cast<unsigned char>(text.front());
    out += static_cast<char>(0xC0 | (byte >> 6));
    out += static_cast<char>(0x80 | (byte & 0x3F));
    text.remove_prefix(1);
  }
  return out;
}

// The position of the last "/" of path; npos when there is none.
constexpr size_t LastSeparator(std::string_view path) { return path.rfind('/'); }
