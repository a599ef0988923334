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

// The code point of the UTF-8 sequence at the start of text (not empty) and its length; 0 when
// it is none: a stray continuation byte, an overlong form, cut short. Surrogates and code points
// up to the lead byte's reach pass; callers that need stricter rules check code.
inline size_t DecodeUtf8(std::string_view text, uint32_t& code) {
  constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};  // below: an overlong form
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(0);
  code = lead;
  if (lead < 0x80) return 1;
  size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (length == 0 || text.size() < length) return 0;
  code = lead & (0x7Fu >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3Fu);
  }
  return code < kLeast[length] ? 0 : length;
}

// A Latin-1 byte (the code page MSTS names were written in) appended as UTF-8.
inline void AppendLatin1AsUtf8(std::string& out, unsigned char byte) {
  if (byte < 0x80) {
    out += static_cast<char>(byte);
    return;
  }
  out += static_cast<char>(0xC0 | (byte >> 6));
  out += static_cast<char>(0x80 | (byte & 0x3F));
}

// text as valid UTF-8: well-formed sequences kept, every other byte read as Latin-1.
inline std::string ToValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    uint32_t code = 0;
    size_t length = DecodeUtf8(text, code);
    bool valid = length > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    if (!valid) length = 1;
    if (valid) {
      out.append(text.substr(0, length));
    } else {
      AppendLatin1AsUtf8(out, static_cast<unsigned char>(text.front()));
    }
    text.remove_prefix(length);
  }
  return out;
}

// The position of the last "/" of path; npos when there is none.
constexpr size_t LastSeparator(std::string_view path) { return path.rfind('/'); }

// text (UTF-8; a byte that starts no well-formed sequence read as Latin-1, as ToValidUtf8
// does) as UTF-16, for the system calls that take wide text.
inline std::u16string Utf16FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::string valid = ToValidUtf8(text);
  std::string_view rest = valid;
  while (!rest.empty()) {
    uint32_t code = 0;
    size_t length = DecodeUtf8(rest, code);
    rest.remove_prefix(length);
    if (code < 0x10000) {
      out += static_cast<char16_t>(code);
    } else {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    }
  }
  return out;
}

// UTF-16 text as UTF-8; a surrogate without its partner becomes U+FFFD.
inline std::string Utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t code = text[i];
    bool high = code >= 0xD800 && code <= 0xDBFF;
    bool paired = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (paired) code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (!paired && code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | code >> 18);
      out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}
