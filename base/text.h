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

// The position of the last "/" of path; npos when there is none.
constexpr size_t LastSeparator(std::string_view path) { return path.rfind('/'); }
