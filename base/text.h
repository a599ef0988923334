// ASCII text helpers that every layer shares. MSTS names and keywords are ASCII and compare
// without regard to letter case; the C locale's rules apply whatever the user's locale is.
#pragma once

#include <cstddef>
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

constexpr bool EndsWith(std::string_view text, std::string_view tail) {
  return text.ends_with(tail);
}

// The position of the last "/" or "\" of path (MSTS paths use either); npos when there is none.
constexpr size_t LastSeparator(std::string_view path) { return path.find_last_of("/\\"); }
